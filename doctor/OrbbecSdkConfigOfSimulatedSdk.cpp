// The simulated Orbbec SDK reads no configuration file, so there is nothing to find.
#include "OrbbecSdkConfigCheck.h"

Findings orbbecSdkConfigFindings()
{
    return {};
}
