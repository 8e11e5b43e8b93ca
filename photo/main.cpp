// kestrum-photo: one colour photo into a JPEG file, or an MJPEG live stream on standard output.
#include "PhotoRun.h"
#include "StandardOutput.h"

int main(int argc, char* argv[])
{
    kestrum::takeOverStandardStreams();
    return runPhotoProgram(argc, argv);
}
