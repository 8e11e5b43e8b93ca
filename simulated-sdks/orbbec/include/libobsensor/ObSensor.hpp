// Everything of the simulated Orbbec SDK v2's C++ interface (namespace ob) that
// kestrum uses, behind the real SDK's include path. Each header stands on its own.
#pragma once

#include "hpp/Context.hpp"
#include "hpp/Device.hpp"
#include "hpp/Error.hpp"
#include "hpp/Filter.hpp"
#include "hpp/Frame.hpp"
#include "hpp/Pipeline.hpp"
#include "hpp/StreamProfile.hpp"
#include "hpp/Types.hpp"
