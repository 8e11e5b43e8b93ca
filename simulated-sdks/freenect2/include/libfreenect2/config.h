// Build configuration of the simulated libfreenect2 (same macros as the real config.h).
#pragma once

#define LIBFREENECT2_VERSION "0.2.0"
#define LIBFREENECT2_API_VERSION ((0 << 16) | 2)
#define LIBFREENECT2_API
#define LIBFREENECT2_WITH_CXX11_SUPPORT
#define LIBFREENECT2_THREADING_STDLIB
