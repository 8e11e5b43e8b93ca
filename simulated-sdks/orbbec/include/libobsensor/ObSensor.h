// Everything of the simulated Orbbec SDK v2's C interface that kestrum uses.
#pragma once

#include "h/Context.h"
#include "h/Device.h"
#include "h/Error.h"
#include "h/Filter.h"
#include "h/Frame.h"
#include "h/ObTypes.h"
#include "h/Pipeline.h"
#include "h/StreamProfile.h"
