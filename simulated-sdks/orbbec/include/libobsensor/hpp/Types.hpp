// The C types that the C++ interface shares.
#pragma once

#include "libobsensor/h/ObTypes.h"
