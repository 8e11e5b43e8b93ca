# What makes the package a station's, in a build against both real SDKs (cmake/Packaging.cmake):
# udev rules that give both cameras to every user, the copyright file naming every licence
# inside, the Debian changelog, the Orbbec SDK's configuration file as a conffile, and the
# maintainer scripts that make the packaged Orbbec SDK folder the alternative the programs load
# (cmake/PrivateSdks.cmake), so that a vendor's full SDK can take its place.

set(station_dir "${CMAKE_BINARY_DIR}/station-package")
set(package_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KESTRUM_PACKAGE_NAME})

install(FILES "${PROJECT_SOURCE_DIR}/packaging/70-kestrum-cameras.rules" DESTINATION lib/udev/rules.d)

# The copyright file names kestrum's licence and that of every library the package carries.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" DESTINATION ${package_doc_dir})

# What lintian reports that the package cannot change, each with its reason.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides" DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
  RENAME ${KESTRUM_PACKAGE_NAME})

# Debian wants a changelog, compressed at the highest level without a time stamp; a version
# without a Debian revision is a native package's, whose changelog is changelog.gz.
find_program(KESTRUM_GZIP gzip REQUIRED)
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${station_dir}/changelog"
"${KESTRUM_PACKAGE_NAME} (${PROJECT_VERSION}) stable; urgency=medium

  * The station's programs with the Orbbec SDK 2.9.3 and libfreenect2 0.2.1.

 -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}
")
execute_process(COMMAND "${KESTRUM_GZIP}" -9nf "${station_dir}/changelog" COMMAND_ERROR_IS_FATAL ANY)
install(FILES "${station_dir}/changelog.gz" DESTINATION ${package_doc_dir})

# Maintainer scripts and the conffile list name the files where the package puts them.
set(KESTRUM_PRIVATE_LIBRARY_PATH "${CPACK_PACKAGING_INSTALL_PREFIX}/${KESTRUM_PRIVATE_LIBRARY_DIR}")
set(KESTRUM_ORBBEC_SDK_LINK_PATH "${CPACK_PACKAGING_INSTALL_PREFIX}/${KESTRUM_ORBBEC_SDK_LINK}")
set(KESTRUM_ORBBEC_SDK_CORE_PATH "${CPACK_PACKAGING_INSTALL_PREFIX}/${KESTRUM_ORBBEC_SDK_CORE_DIR}")
set(control_files "")
foreach(script postinst prerm postrm)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/${script}.in" "${station_dir}/${script}" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  list(APPEND control_files "${station_dir}/${script}")
endforeach()
file(WRITE "${station_dir}/conffiles" "${KESTRUM_ORBBEC_SDK_CONFIG_FILE}\n")
list(APPEND control_files "${station_dir}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${control_files})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
