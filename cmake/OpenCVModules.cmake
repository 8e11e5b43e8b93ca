# OpenCV core, imgproc and imgcodecs as the imported targets opencv_core,
# opencv_imgproc and opencv_imgcodecs.
#
# OpenCVConfig.cmake ships only with Debian's libopencv-dev metapackage. Where
# it is installed it is used; where only the three module packages are, their
# headers and libraries are found directly (this also works in a cross sysroot).

find_package(OpenCV 4 QUIET COMPONENTS core imgproc imgcodecs)

if(OpenCV_FOUND)
  message(STATUS "OpenCV ${OpenCV_VERSION} from its CMake configuration")
else()
  find_path(KESTRUM_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
  if(NOT KESTRUM_OPENCV_INCLUDE_DIR)
    message(FATAL_ERROR "OpenCV headers not found: install libopencv-core-dev, libopencv-imgproc-dev and libopencv-imgcodecs-dev")
  endif()
  foreach(module core imgproc imgcodecs)
    find_library(KESTRUM_OPENCV_${module}_LIBRARY opencv_${module})
    if(NOT KESTRUM_OPENCV_${module}_LIBRARY)
      message(FATAL_ERROR "OpenCV library opencv_${module} not found: install libopencv-${module}-dev")
    endif()
    if(NOT TARGET opencv_${module})
      add_library(opencv_${module} UNKNOWN IMPORTED)
      set_target_properties(opencv_${module} PROPERTIES
        IMPORTED_LOCATION "${KESTRUM_OPENCV_${module}_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${KESTRUM_OPENCV_INCLUDE_DIR}")
    endif()
  endforeach()
  set_property(TARGET opencv_imgproc APPEND PROPERTY INTERFACE_LINK_LIBRARIES opencv_core)
  set_property(TARGET opencv_imgcodecs APPEND PROPERTY INTERFACE_LINK_LIBRARIES opencv_imgproc opencv_core)
  message(STATUS "OpenCV modules found directly: ${KESTRUM_OPENCV_INCLUDE_DIR}")
endif()
