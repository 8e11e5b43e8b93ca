// kestrum-series: checks a recorded test series, draws its contact sheet, writes a frame's point cloud, or reports its timing.
#include "SeriesRun.h"
#include "StandardOutput.h"

#include <exception>
#include <iostream>

// SIGTERM and SIGINT keep their default action: the program has nothing to finish, as its output
// files appear complete or not at all.
int main(int argc, char** argv)
{
    kestrum::takeOverStandardStreams();
    try {
        return runSeries(std::vector<std::string>(argv + 1, argv + argc), kestrum::writeStandardOutput, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "kestrum-series: " << error.what() << "\n";
        return 1;
    }
}
