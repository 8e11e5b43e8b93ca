// Image sizes of the Orbbec camera.
#pragma once

#include <cstdint>

// The one colour and depth profile the programs stream: aligned depth shares the colour geometry.
inline constexpr int32_t kOrbbecStreamWidth = 1280;
inline constexpr int32_t kOrbbecStreamHeight = 720;
