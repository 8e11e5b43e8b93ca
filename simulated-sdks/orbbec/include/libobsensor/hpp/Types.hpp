// The C enumerations and records (OBFormat, OBCameraIntrinsic, ...) that the C++ classes take and return.
#pragma once

#include "libobsensor/h/ObTypes.h"
