// kestrum-series: checks a recorded test series, draws its contact sheet, or writes a frame's point cloud.
#include "SeriesRun.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        return runSeries(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "kestrum-series: " << error.what() << "\n";
        return 1;
    }
}
