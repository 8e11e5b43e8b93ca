// The system root of a station build: the real one, whatever the environment says.
#include "SystemRoot.h"

std::filesystem::path systemRoot()
{
    return "/";
}
