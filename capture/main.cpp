// kestrum-capture: records a test series from the attached depth camera.
#include "RunDriver.h"
#include "StandardOutput.h"
#include "StopSignal.h"

int main(int argc, char* argv[])
{
    // First of all: a stop signal before this ends the program at once, with nothing done.
    installStopHandlers();
    kestrum::takeOverStandardStreams();
    return runCapture(argc, argv);
}
