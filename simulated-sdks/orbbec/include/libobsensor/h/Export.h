// OB_EXPORT: the SDK's C functions stay visible even in a build that hides symbols by default.
#pragma once

#ifdef _WIN32
#define OB_EXPORT
#else
#define OB_EXPORT __attribute__((visibility("default")))
#endif
