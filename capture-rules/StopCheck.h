// How a frame loop asks whether it is to stop, passed in so that tests can stop it.
#pragma once

#include <functional>

// Whether the run has been asked to stop (the programs: a stop signal has come).
using StopCheck = std::function<bool()>;
