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

# libfreenect2's default build (ENABLE_CXX11=OFF) uses its own thread wrapper, with which
# SyncMultiFrameListener::waitForNewFrame ignores its time limit: a Kinect v2 that stops
# sending would block both programs forever. Its installed config.h tells the builds apart.
function(kestrum_require_freenect2_cxx11_threading include_dirs)
  set(config_header "")
  foreach(dir IN LISTS include_dirs)
    if(EXISTS "${dir}/libfreenect2/config.h")
      set(config_header "${dir}/libfreenect2/config.h")
      break()
    endif()
  endforeach()
  set(stdlib_threading "")
  if(config_header)
    file(STRINGS "${config_header}" stdlib_threading
      REGEX "^[ \t]*#[ \t]*define[ \t]+LIBFREENECT2_THREADING_STDLIB([ \t]|$)")
  else()
    set(config_header "libfreenect2/config.h (not found in ${include_dirs})")
  endif()
  if(NOT stdlib_threading)
    message(FATAL_ERROR "libfreenect2 was built without C++11 threading: ${config_header} does not "
      "define LIBFREENECT2_THREADING_STDLIB. With its own thread wrapper "
      "SyncMultiFrameListener::waitForNewFrame ignores its time limit, so a Kinect v2 that stops "
      "sending would block kestrum-capture and kestrum-photo forever. Rebuild libfreenect2 with "
      "-DENABLE_CXX11=ON, install it again, then configure kestrum again.")
  endif()
endfunction()

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
    kestrum_require_freenect2_cxx11_threading("${KESTRUM_FREENECT2_INCLUDE_DIRS}")
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

# The real Orbbec SDK exports the libusb functions of the libusb copy built into it. Ahead of the
# system libusb-1.0 in the lookup order, it would take libfreenect2's libusb calls, which then fail
# to make their context: the Kinect v2 could never be found. A program that links both real SDKs
# therefore names the system libusb-1.0 first, kept even where the linker drops libraries it sees
# no use for, so that the system library comes first; the SDK binds its own calls inside itself.
add_library(kestrum_system_libusb_first INTERFACE)
add_library(kestrum::system_libusb_first ALIAS kestrum_system_libusb_first)
if(NOT KESTRUM_ORBBEC_IS_SIMULATED AND NOT KESTRUM_FREENECT2_IS_SIMULATED)
  find_library(KESTRUM_SYSTEM_LIBUSB usb-1.0)
  if(NOT KESTRUM_SYSTEM_LIBUSB)
    message(FATAL_ERROR "The system libusb-1.0 that libfreenect2 was built against is missing (Debian: libusb-1.0-0-dev)")
  endif()
  target_link_libraries(kestrum_system_libusb_first INTERFACE
    "-Wl,--push-state,--no-as-needed" "${KESTRUM_SYSTEM_LIBUSB}" "-Wl,--pop-state")
  message(STATUS "libusb-1.0 ahead of the Orbbec SDK: ${KESTRUM_SYSTEM_LIBUSB}")
endif()

# A build against a stand-in must never pass for a station build: the package
# name says so (see cmake/Packaging.cmake), and so does the configure output above.
set(KESTRUM_USES_SIMULATED_SDK OFF)
if(KESTRUM_ORBBEC_IS_SIMULATED OR KESTRUM_FREENECT2_IS_SIMULATED)
  set(KESTRUM_USES_SIMULATED_SDK ON)
endif()

# kestrum_imported_library_files(<target> <out>): the files an imported library target stands
# for, in every configuration it was imported with, and those of the targets it links.
function(kestrum_imported_library_files target out)
  set(files "")
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    set(properties IMPORTED_LOCATION)
    get_target_property(configurations ${target} IMPORTED_CONFIGURATIONS)
    if(configurations)
      foreach(configuration IN LISTS configurations)
        string(TOUPPER "${configuration}" configuration)
        list(APPEND properties IMPORTED_LOCATION_${configuration})
      endforeach()
    endif()
    foreach(property IN LISTS properties)
      get_target_property(location ${target} ${property})
      if(location)
        list(APPEND files "${location}")
      endif()
    endforeach()
  endif()
  get_target_property(linked ${target} INTERFACE_LINK_LIBRARIES)
  foreach(item IN LISTS linked)
    if(TARGET "${item}")
      kestrum_imported_library_files("${item}" item_files)
      list(APPEND files ${item_files})
    elseif(IS_ABSOLUTE "${item}")
      list(APPEND files "${item}")
    endif()
  endforeach()
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

# The real SDKs' library files the programs link, which travel with them (cmake/PrivateSdks.cmake).
set(KESTRUM_ORBBEC_SDK_LIBRARY_FILES "")
if(NOT KESTRUM_ORBBEC_IS_SIMULATED)
  kestrum_imported_library_files(ob::OrbbecSDK KESTRUM_ORBBEC_SDK_LIBRARY_FILES)
endif()
set(KESTRUM_FREENECT2_LIBRARY_FILES "")
if(NOT KESTRUM_FREENECT2_IS_SIMULATED)
  foreach(item IN LISTS freenect2_LIBRARIES)
    if(IS_ABSOLUTE "${item}")
      list(APPEND KESTRUM_FREENECT2_LIBRARY_FILES "${item}")
    endif()
  endforeach()
endif()
include(cmake/PrivateSdks.cmake)
