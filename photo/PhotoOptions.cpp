// The command line of kestrum-photo.
#include "PhotoOptions.h"

std::optional<PhotoOptions> parsePhotoArguments(int argc, const char* const argv[])
{
    if (argc != 2) {
        return std::nullopt;
    }
    PhotoOptions options;
    options.outputPath = argv[1];
    options.stream = options.outputPath == "--stream";
    return options;
}
