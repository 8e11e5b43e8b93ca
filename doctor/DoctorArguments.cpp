// The command line of kestrum-doctor.
#include "DoctorArguments.h"

#include "DefaultOutputDirectory.h"

std::optional<DoctorOptions> parseDoctorArguments(const std::vector<std::string>& arguments)
{
    DoctorOptions options;
    std::optional<std::string> directory;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            options.json = true;
        } else if ((!argument.empty() && argument[0] == '-') || directory) {
            return std::nullopt;
        } else {
            directory = argument;
        }
    }
    options.outputDir = !directory ? kDefaultOutputDir : directory->empty() ? "." : *directory;
    return options;
}
