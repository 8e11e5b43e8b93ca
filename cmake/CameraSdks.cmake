# Chooses, per SDK, what the programs link: the real SDK or the simulated stand-in.
# Defines the interface targets kestrum::orbbec_sdk and kestrum::freenect2 and the
# variables KESTRUM_ORBBEC_IS_SIMULATED and KESTRUM_FREENECT2_IS_SIMULATED.

function(kestrum_check_choice name value)
  if(NOT value MATCHES "^(AUTO|REAL|SIMULATED)$")
    message(FATAL_ERROR "${name} must be AUTO, REAL or SIMULATED, not '${value}'")
  endif()
endfunction()
kestrum_check_choice(KESTRUM_ORBBEC_SDK "${KESTRUM_ORBBEC_SDK}")
kestrum_check_choice(KESTRUM_FREENECT2 "${KESTRUM_FREENECT2}")

add_library(kestrum_orbbec_sdk INTERFACE)
add_library(kestrum::orbbec_sdk ALIAS kestrum_orbbec_sdk)
set(KESTRUM_ORBBEC_IS_SIMULATED ON)
if(NOT KESTRUM_ORBBEC_SDK STREQUAL "SIMULATED")
  # The SDK's version file is named so that CMake ignores it: ask for no version.
  find_package(OrbbecSDK CONFIG QUIET)
  if(TARGET ob::OrbbecSDK)
    set(KESTRUM_ORBBEC_IS_SIMULATED OFF)
    target_link_libraries(kestrum_orbbec_sdk INTERFACE ob::OrbbecSDK)
    message(STATUS "Orbbec SDK: real (${OrbbecSDK_DIR})")
  elseif(KESTRUM_ORBBEC_SDK STREQUAL "REAL")
    message(FATAL_ERROR "Orbbec SDK v2 not found: set OrbbecSDK_DIR or CMAKE_PREFIX_PATH to <prefix>/lib")
  endif()
endif()
if(KESTRUM_ORBBEC_IS_SIMULATED)
  target_link_libraries(kestrum_orbbec_sdk INTERFACE kestrum_sim_orbbec)
  message(STATUS "Orbbec SDK: SIMULATED stand-in")
endif()

add_library(kestrum_freenect2 INTERFACE)
add_library(kestrum::freenect2 ALIAS kestrum_freenect2)
set(KESTRUM_FREENECT2_IS_SIMULATED ON)
if(NOT KESTRUM_FREENECT2 STREQUAL "SIMULATED")
  # freenect2Config.cmake sets variables only; it defines no imported target.
  # Depending on the release it names the headers freenect2_INCLUDE_DIRS or
  # freenect2_INCLUDE_DIR, and it looks for the library only below the prefix
  # it was installed to, so a moved installation yields a NOTFOUND library.
  find_package(freenect2 CONFIG QUIET)
  set(KESTRUM_FREENECT2_INCLUDE_DIRS ${freenect2_INCLUDE_DIRS} ${freenect2_INCLUDE_DIR})
  if(freenect2_FOUND AND freenect2_LIBRARIES AND NOT freenect2_LIBRARIES MATCHES "NOTFOUND"
     AND KESTRUM_FREENECT2_INCLUDE_DIRS)
    set(KESTRUM_FREENECT2_IS_SIMULATED OFF)
    target_include_directories(kestrum_freenect2 INTERFACE ${KESTRUM_FREENECT2_INCLUDE_DIRS})
    target_link_libraries(kestrum_freenect2 INTERFACE ${freenect2_LIBRARIES})
    message(STATUS "libfreenect2: real (${freenect2_LIBRARIES})")
  elseif(KESTRUM_FREENECT2 STREQUAL "REAL")
    message(FATAL_ERROR "libfreenect2 not found: set freenect2_DIR or CMAKE_PREFIX_PATH to its prefix")
  endif()
endif()
if(KESTRUM_FREENECT2_IS_SIMULATED)
  target_link_libraries(kestrum_freenect2 INTERFACE kestrum_sim_freenect2)
  message(STATUS "libfreenect2: SIMULATED stand-in")
endif()

# A build against a stand-in must never pass for a station build: the package
# name says so (see cmake/Packaging.cmake), and so does the configure output above.
set(KESTRUM_USES_SIMULATED_SDK OFF)
if(KESTRUM_ORBBEC_IS_SIMULATED OR KESTRUM_FREENECT2_IS_SIMULATED)
  set(KESTRUM_USES_SIMULATED_SDK ON)
endif()
