// kestrum-capture: records a test series from the attached depth camera.
#include "RunDriver.h"

int main(int argc, char* argv[])
{
    return runCapture(argc, argv);
}
