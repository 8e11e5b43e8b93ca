// The outcome rule shared by both cameras.
#include "PhotoOutcome.h"

#include "FrameOutput.h"
#include "MessageLine.h"
#include "PhotoExitCodes.h"

int reportOutcome(const PhotoOptions& options, bool outputWritten, bool stopWasRequested, const LineChannel& out,
                  const LineChannel& messages)
{
    if (!options.stream) {
        if (outputWritten) {
            writeLine(out, options.outputPath);
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
