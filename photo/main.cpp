// kestrum-photo: one colour photo into a JPEG file, or an MJPEG live stream on standard output.
#include "PhotoRun.h"
#include "StandardOutput.h"
#include "StopSignal.h"

int main(int argc, char* argv[])
{
    // First of all: a stop signal before this ends the program at once, with nothing done.
    installStopHandlers();
    kestrum::takeOverStandardStreams();
    return runPhotoProgram(argc, argv);
}
