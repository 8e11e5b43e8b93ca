// Symbol visibility of the simulated Orbbec SDK's C functions.
#pragma once

#if defined(_WIN32)
#define OB_EXPORT
#else
#define OB_EXPORT __attribute__((visibility("default")))
#endif
