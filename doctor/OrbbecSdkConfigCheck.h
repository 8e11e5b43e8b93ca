// The sdk-config findings of this build: the real Orbbec SDK's configuration file, or none
// with the simulated SDK, which reads no file (the build links one of two definitions).
#pragma once

#include "Finding.h"
#include "OrbbecSdkConfig.h"

Findings orbbecSdkConfigFindings();
