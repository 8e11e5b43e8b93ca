# The Debian package of the four programs (cpack -G DEB), for the architecture being built.
#
# A build that links a simulated camera SDK is packaged as kestrum-sim, never as
# kestrum, so that nobody installs a simulated camera on a station. The real
# camera SDKs are not Debian packages: they are installed by hand (doc/station.md) and
# not declared as dependencies; the programs find them through their run path
# (cmake/CameraSdks.cmake).

if(KESTRUM_USES_SIMULATED_SDK)
  set(KESTRUM_PACKAGE_NAME kestrum-sim)
  set(KESTRUM_OTHER_PACKAGE_NAME kestrum)
  set(KESTRUM_PACKAGE_SUMMARY "kestrum camera programs built against SIMULATED cameras (not for a station)")
else()
  set(KESTRUM_PACKAGE_NAME kestrum)
  set(KESTRUM_OTHER_PACKAGE_NAME kestrum-sim)
  set(KESTRUM_PACKAGE_SUMMARY "kestrum camera programs for the measurement station")
endif()

# Debian's architecture name: the cross toolchain file sets it; natively dpkg knows.
if(NOT KESTRUM_DEBIAN_ARCHITECTURE)
  if(NOT CMAKE_CROSSCOMPILING)
    find_program(KESTRUM_DPKG dpkg)
  endif()
  if(KESTRUM_DPKG)
    execute_process(COMMAND ${KESTRUM_DPKG} --print-architecture
      OUTPUT_VARIABLE KESTRUM_DEBIAN_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(KESTRUM_DEBIAN_ARCHITECTURE arm64)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$")
    set(KESTRUM_DEBIAN_ARCHITECTURE amd64)
  else()
    set(KESTRUM_DEBIAN_ARCHITECTURE "${CMAKE_SYSTEM_PROCESSOR}")
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KESTRUM_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${KESTRUM_PACKAGE_SUMMARY}")
set(CPACK_PACKAGE_DESCRIPTION "kestrum-capture records a test series from the station's depth camera (Orbbec SDK v2 or Kinect v2 through libfreenect2); kestrum-photo takes one photo or streams MJPEG; kestrum-series checks a recorded series, draws its contact sheet and writes a frame's depth as a coloured point cloud; kestrum-doctor tells why no camera is found and whether the station is ready to record.")
set(CPACK_PACKAGE_CONTACT "kestrum maintainers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build type keeps debug information; the station gets lean programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/packages")
set(CPACK_DEBIAN_PACKAGE_NAME ${KESTRUM_PACKAGE_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KESTRUM_DEBIAN_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Both install the same programs.
set(CPACK_DEBIAN_PACKAGE_CONFLICTS ${KESTRUM_OTHER_PACKAGE_NAME})
set(CPACK_DEBIAN_PACKAGE_REPLACES ${KESTRUM_OTHER_PACKAGE_NAME})

# Runtime dependencies. Natively dpkg-shlibdeps reads the programs and the
# host's package database. A cross build cannot ask the host's database about
# arm64 libraries, so the dependencies are declared from the sysroot that
# scripts/assemble-arm64-sysroot.sh recorded: for each library the programs link,
# the package that provides it (from the packages' shlibs files) at the
# sysroot's version. The cross-build script checks the result against the
# libraries the packaged programs actually need.
function(kestrum_regex_escape text out)
  string(REGEX REPLACE "([][+.*?^$()|\\\\])" "\\\\\\1" escaped "${text}")
  set(${out} "${escaped}" PARENT_SCOPE)
endfunction()

# kestrum_depends_from_sysroot(<sysroot> <out depends> <out problem> <library>...)
function(kestrum_depends_from_sysroot sysroot out_depends out_problem)
  set(shlibs_file "${sysroot}/.kestrum-shlibs")
  set(versions_file "${sysroot}/.kestrum-packages")
  if(NOT EXISTS "${shlibs_file}" OR NOT EXISTS "${versions_file}")
    set(${out_problem} "the sysroot '${sysroot}' has no package records: assemble it with scripts/assemble-arm64-sysroot.sh" PARENT_SCOPE)
    return()
  endif()
  file(STRINGS "${shlibs_file}" shlibs_lines)
  file(STRINGS "${versions_file}" version_lines)
  set(depends "")
  set(packages "")
  foreach(library IN LISTS ARGN)
    # "<library> <soversion> <package> [(>= <version>)]"; "udeb:" lines are for the installer.
    kestrum_regex_escape("${library}" library_pattern)
    set(package "")
    foreach(line IN LISTS shlibs_lines)
      if(line MATCHES "^${library_pattern} [^ ]+ ([^ ]+)(.*)$")
        set(package "${CMAKE_MATCH_1}")
        string(STRIP "${CMAKE_MATCH_2}" constraint)
        break()
      endif()
    endforeach()
    if(NOT package)
      set(${out_problem} "no package of the sysroot '${sysroot}' provides ${library}" PARENT_SCOPE)
      return()
    endif()
    if(NOT constraint)
      # No minimum in the shlibs file: ask for the sysroot's upstream version.
      kestrum_regex_escape("${package}" package_pattern)
      foreach(line IN LISTS version_lines)
        if(line MATCHES "^${package_pattern} (.+)$")
          string(REGEX REPLACE "-[^-]*$" "" upstream "${CMAKE_MATCH_1}")
          set(constraint "(>= ${upstream})")
        endif()
      endforeach()
    endif()
    if(NOT package IN_LIST packages)
      list(APPEND packages "${package}")
      string(STRIP "${package} ${constraint}" dependency)
      list(APPEND depends "${dependency}")
    endif()
  endforeach()
  list(JOIN depends ", " depends)
  set(${out_depends} "${depends}" PARENT_SCOPE)
  set(${out_problem} "" PARENT_SCOPE)
endfunction()

set(KESTRUM_PACKAGE_PROBLEM "")
if(NOT CMAKE_CROSSCOMPILING)
  find_program(KESTRUM_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(KESTRUM_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # dpkg-shlibdeps must find every library the programs need, the real SDKs' too, or it
    # fails; they belong to no package, so no dependency is declared for them. It also reads
    # the programs' run path, which is all that CMake before 3.20 leaves it.
    if(KESTRUM_SDK_LIBRARY_DIRS)
      if(NOT CMAKE_VERSION VERSION_LESS 3.20)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KESTRUM_SDK_LIBRARY_DIRS})
      elseif(CMAKE_SKIP_RPATH OR CMAKE_SKIP_INSTALL_RPATH)
        set(KESTRUM_PACKAGE_PROBLEM "dpkg-shlibdeps cannot find the camera SDK libraries in ${KESTRUM_SDK_LIBRARY_DIRS}: the programs have no run path, and CMake ${CMAKE_VERSION} cannot name the folders to it (that needs CMake 3.20)")
      endif()
    endif()
  else()
    set(KESTRUM_PACKAGE_PROBLEM "dpkg-shlibdeps is missing (install dpkg-dev): the package would have no dependencies")
  endif()
else()
  # What the programs link besides the camera SDKs.
  kestrum_depends_from_sysroot("${CMAKE_SYSROOT}" CPACK_DEBIAN_PACKAGE_DEPENDS KESTRUM_PACKAGE_PROBLEM
    libopencv_core libopencv_imgproc libopencv_imgcodecs libtinyxml2 libz libstdc++ libgcc_s libm libc)
endif()

# A package that would be wrong is refused when cpack runs, not at configure
# time: the build and the tests do not need packaging to work.
set(CPACK_KESTRUM_PACKAGE_PROBLEM "${KESTRUM_PACKAGE_PROBLEM}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_BINARY_DIR}/KestrumCPackChecks.cmake")
file(WRITE "${CPACK_PROJECT_CONFIG_FILE}" [=[
# Generated by cmake/Packaging.cmake: refuses to package when the dependencies cannot be right.
if(CPACK_KESTRUM_PACKAGE_PROBLEM)
  message(FATAL_ERROR "kestrum package: ${CPACK_KESTRUM_PACKAGE_PROBLEM}")
endif()
]=])
if(KESTRUM_PACKAGE_PROBLEM)
  message(STATUS "Package: cannot be built: ${KESTRUM_PACKAGE_PROBLEM}")
else()
  message(STATUS "Package: ${KESTRUM_PACKAGE_NAME} ${PROJECT_VERSION} for ${KESTRUM_DEBIAN_ARCHITECTURE}")
endif()

include(CPack)
