// The sdk-config finding of a build with the real Orbbec SDK: its file beside libOrbbecSDK.so.
#include "OrbbecSdkConfigCheck.h"

#include <libobsensor/h/Context.h>

Findings orbbecSdkConfigFindings()
{
    return {sdkConfigFindingBeside(reinterpret_cast<const void*>(&ob_create_context))};
}
