// kestrum-doctor: why is no camera found, and is this station ready to record?
#include "DoctorRun.h"
#include "StandardOutput.h"

int main(int argc, char* argv[])
{
    kestrum::takeOverStandardStreams();
    return runDoctor(std::vector<std::string>(argv + 1, argv + argc));
}
