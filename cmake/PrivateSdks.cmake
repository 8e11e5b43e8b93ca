# The real camera SDKs installed with the programs, in a private folder outside the loader's
# search path, so that a station needs nothing but the package:
#
#   lib/kestrum/                      libfreenect2
#   lib/kestrum/orbbec-sdk-core/      the Orbbec SDK built from source, and a link to its
#                                     configuration file, /etc/kestrum/OrbbecSDKConfig.xml (the
#                                     SDK reads the file of that name beside its library)
#   lib/kestrum/orbbec-sdk            the Orbbec SDK folder the programs use: a link that the
#                                     package points at orbbec-sdk-core or at a vendor's full SDK
#                                     (update-alternatives, cmake/StationPackage.cmake)
#
# The installed programs find the libraries through their run path, relative to their own folder:
# the chosen Orbbec SDK first, then the packaged one where no link was made (an installation
# with cmake --install), then libfreenect2.

set(KESTRUM_PRIVATE_LIBRARY_DIR lib/kestrum)
set(KESTRUM_ORBBEC_SDK_CORE_DIR ${KESTRUM_PRIVATE_LIBRARY_DIR}/orbbec-sdk-core)
set(KESTRUM_ORBBEC_SDK_LINK ${KESTRUM_PRIVATE_LIBRARY_DIR}/orbbec-sdk)
# Always in /etc, where a package's configuration files belong, whatever the prefix.
set(KESTRUM_ORBBEC_SDK_CONFIG_FILE /etc/kestrum/OrbbecSDKConfig.xml)

# kestrum_install_library_versions(<library file> <destination>): the library under each of its
# versioned names (the file itself and the links the loader and the linker look for by soname),
# never the unversioned development link.
function(kestrum_install_library_versions library destination)
  get_filename_component(folder "${library}" DIRECTORY)
  get_filename_component(name "${library}" NAME)
  string(REGEX REPLACE "\\.so(\\..*)?$" "" stem "${name}")
  file(GLOB versions "${folder}/${stem}.so.*")
  if(NOT versions)
    message(FATAL_ERROR "no versioned files of ${library} to install")
  endif()
  install(FILES ${versions} DESTINATION ${destination})
  # Stripped where the programs are (cpack), as Debian strips a shared library.
  get_filename_component(file "${library}" REALPATH)
  get_filename_component(file_name "${file}" NAME)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note --strip-unneeded
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${file_name}\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")
endfunction()

set(KESTRUM_PRIVATE_RUN_PATH "")
if(KESTRUM_ORBBEC_SDK_LIBRARY_FILES)
  foreach(library IN LISTS KESTRUM_ORBBEC_SDK_LIBRARY_FILES)
    kestrum_install_library_versions("${library}" ${KESTRUM_ORBBEC_SDK_CORE_DIR})
  endforeach()
  list(GET KESTRUM_ORBBEC_SDK_LIBRARY_FILES 0 orbbec_library)
  get_filename_component(orbbec_library_dir "${orbbec_library}" DIRECTORY)

  # The SDK's own configuration file with network discovery off: the station's camera is on USB,
  # and discovery broadcasts on every network interface at each start, which takes about 2 s.
  set(installed_config "${orbbec_library_dir}/OrbbecSDKConfig.xml")
  if(NOT EXISTS "${installed_config}")
    message(FATAL_ERROR "The Orbbec SDK in ${orbbec_library_dir} has no OrbbecSDKConfig.xml beside its library")
  endif()
  file(READ "${installed_config}" config_text)
  set(discovery_pattern "<EnumerateNetDevice>[^<]*</EnumerateNetDevice>")
  string(REGEX MATCHALL "${discovery_pattern}" discovery_settings "${config_text}")
  list(LENGTH discovery_settings discovery_setting_count)
  if(NOT discovery_setting_count EQUAL 1)
    message(FATAL_ERROR "${installed_config} has ${discovery_setting_count} <EnumerateNetDevice> settings, not one: "
      "cannot turn network discovery off")
  endif()
  string(REGEX REPLACE "${discovery_pattern}" "<EnumerateNetDevice>false</EnumerateNetDevice>" config_text "${config_text}")
  set(station_config_dir "${CMAKE_BINARY_DIR}/station-config")
  file(MAKE_DIRECTORY "${station_config_dir}/link")
  file(WRITE "${station_config_dir}/OrbbecSDKConfig.xml" "${config_text}")
  file(CREATE_LINK "${KESTRUM_ORBBEC_SDK_CONFIG_FILE}" "${station_config_dir}/link/OrbbecSDKConfig.xml" SYMBOLIC)
  get_filename_component(config_dir "${KESTRUM_ORBBEC_SDK_CONFIG_FILE}" DIRECTORY)
  install(FILES "${station_config_dir}/OrbbecSDKConfig.xml" DESTINATION "${config_dir}")
  install(FILES "${station_config_dir}/link/OrbbecSDKConfig.xml" DESTINATION ${KESTRUM_ORBBEC_SDK_CORE_DIR})

  list(APPEND KESTRUM_PRIVATE_RUN_PATH "\$ORIGIN/../${KESTRUM_ORBBEC_SDK_LINK}" "\$ORIGIN/../${KESTRUM_ORBBEC_SDK_CORE_DIR}")
endif()
if(KESTRUM_FREENECT2_LIBRARY_FILES)
  foreach(library IN LISTS KESTRUM_FREENECT2_LIBRARY_FILES)
    kestrum_install_library_versions("${library}" ${KESTRUM_PRIVATE_LIBRARY_DIR})
  endforeach()
  list(APPEND KESTRUM_PRIVATE_RUN_PATH "\$ORIGIN/../${KESTRUM_PRIVATE_LIBRARY_DIR}")
endif()
if(KESTRUM_PRIVATE_RUN_PATH)
  list(APPEND CMAKE_INSTALL_RPATH ${KESTRUM_PRIVATE_RUN_PATH})
  message(STATUS "Run path of the installed programs: ${CMAKE_INSTALL_RPATH}")
endif()
