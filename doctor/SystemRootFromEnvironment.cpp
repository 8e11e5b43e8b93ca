// The system root of a build with a simulated camera SDK: KESTRUM_SYSTEM_ROOT, for tests.
#include "SystemRoot.h"

#include <cstdlib>

std::filesystem::path systemRoot()
{
    const char* root = std::getenv("KESTRUM_SYSTEM_ROOT");
    return root != nullptr && *root != '\0' ? root : "/";
}
