// The C++ interface (namespace ob) of the simulated Orbbec SDK v2.
#pragma once

#include "hpp/Types.hpp"
#include "hpp/Error.hpp"
#include "hpp/Context.hpp"
#include "hpp/Device.hpp"
#include "hpp/StreamProfile.hpp"
#include "hpp/Frame.hpp"
#include "hpp/Filter.hpp"
#include "hpp/Pipeline.hpp"
