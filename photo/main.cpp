// kestrum-photo: one colour photo into a JPEG file, or an MJPEG live stream on standard output.
#include "PhotoRun.h"

int main(int argc, char* argv[])
{
    return runPhotoProgram(argc, argv);
}
