// kestrum-capture: records a test series from the attached depth camera.
#include "RunDriver.h"
#include "StandardOutput.h"

int main(int argc, char* argv[])
{
    kestrum::takeOverStandardStreams();
    return runCapture(argc, argv);
}
