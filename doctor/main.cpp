// kestrum-doctor: why is no camera found, and is this station ready to record?
#include "DoctorRun.h"
#include "StandardOutput.h"
#include "StopSignal.h"

int main(int argc, char* argv[])
{
    // First of all: a stop signal before this ends the program at once, with nothing done.
    installStopHandlers();
    kestrum::takeOverStandardStreams();
    return runDoctor(std::vector<std::string>(argv + 1, argv + argc));
}
