// The sdk-config findings of a build with the real Orbbec SDK: the libOrbbecSDK.so it loads and
// the configuration file beside it.
#include "OrbbecSdkConfigCheck.h"

#include <libobsensor/h/Context.h>

Findings orbbecSdkConfigFindings()
{
    return sdkFindingsBeside(reinterpret_cast<const void*>(&ob_create_context));
}
