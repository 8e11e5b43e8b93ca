// The run of kestrum-photo.
#include "PhotoRun.h"

#include "KinectPhoto.h"
#include "MessageLine.h"
#include "OrbbecPhoto.h"
#include "PhotoExitCodes.h"
#include "PhotoOptions.h"

#include <optional>

int runPhotoProgram(int argc, const char* const argv[])
{
    const std::optional<PhotoOptions> options = parsePhotoArguments(argc, argv);
    if (!options) {
        writeLine(kStandardError, kPhotoUsageMessage);
        return kExitUsage;
    }
    if (const std::optional<int> orbbecCode = runOrbbecPhoto(*options)) {
        return *orbbecCode;
    }
    return runKinect(*options);
}
