// The outcome rule shared by both cameras.
#include "PhotoOutcome.h"

#include "FrameOutput.h"
#include "MessageLine.h"
#include "PhotoExitCodes.h"
#include "StandardOutput.h"

int reportOutcome(const PhotoOptions& options, bool outputWritten, bool stopWasRequested, const LineChannel& out,
                  const LineChannel& messages)
{
    if (!options.stream) {
        if (outputWritten) {
            // The photo stays: only the announcement failed.
            if (!writeLine(out, options.outputPath)) {
                writeLine(messages, kestrum::kStandardOutputNotWrittenMessage);
                return kExitNoOutput;
            }
            return kExitSuccess;
        }
        writeLine(messages, kPhotoNotSavedMessage);
        return kExitNoOutput;
    }
    if (stopWasRequested || outputWritten) {
        return kExitSuccess;
    }
    writeLine(messages, kStreamNotProducedMessage);
    return kExitNoOutput;
}
