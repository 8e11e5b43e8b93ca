// The C interface of the simulated Orbbec SDK v2.
#pragma once

#include "h/ObTypes.h"
#include "h/Error.h"
#include "h/Context.h"
#include "h/Device.h"
#include "h/StreamProfile.h"
#include "h/Frame.h"
#include "h/Filter.h"
#include "h/Pipeline.h"
