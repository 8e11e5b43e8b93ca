# Every build option of the project, in one place.

option(KESTRUM_BUILD_TESTS "Build the test suite (GoogleTest)" ON)
option(KESTRUM_BUILD_BENCHMARKS "Build the benchmarks (Google Benchmark)" OFF)
option(KESTRUM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Which camera SDKs the programs link: AUTO takes the real SDK when its CMake
# package is found and the simulated stand-in otherwise; REAL insists on the
# real SDK; SIMULATED never looks for it. The stand-ins are built in any case,
# for the tests.
set(KESTRUM_ORBBEC_SDK "AUTO" CACHE STRING "Orbbec SDK v2 for the programs: AUTO, REAL or SIMULATED")
set_property(CACHE KESTRUM_ORBBEC_SDK PROPERTY STRINGS AUTO REAL SIMULATED)
set(KESTRUM_FREENECT2 "AUTO" CACHE STRING "libfreenect2 for the programs: AUTO, REAL or SIMULATED")
set_property(CACHE KESTRUM_FREENECT2 PROPERTY STRINGS AUTO REAL SIMULATED)
