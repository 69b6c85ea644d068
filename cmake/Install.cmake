# Installation: the library, its header, a pkg-config file, a CMake package
# (find_package(ecf)), the tools, and a Debian package through CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS ecf EXPORT ecfTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT ecfTargets NAMESPACE ecf:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ecf)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ecfConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ecfConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ecf)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ecfConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ecfConfig.cmake ${PROJECT_BINARY_DIR}/ecfConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ecf)

# The pkg-config file finds its prefix from where it lies, so the package can move.
file(RELATIVE_PATH ECF_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" ECF_PC_TO_PREFIX "${ECF_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ecf.pc.in ${PROJECT_BINARY_DIR}/ecf.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ecf.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
install(FILES ${ECF_EXPORTS_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/ecf)

# The Python binding, where Debian's python3 looks for packages.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/bindings/python/ecf DESTINATION lib/python3/dist-packages
  PATTERN __pycache__ EXCLUDE)

if(TARGET ecf_tool)
  install(TARGETS ecf_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET ecf-sim)
  install(TARGETS ecf-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(CPACK_PACKAGE_NAME "libecf")
set(CPACK_PACKAGE_VENDOR "libecf developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Driver library for the ECF fiscal receipt printer, with its CLI and simulator")
set(CPACK_PACKAGE_CONTACT "libecf developers <dev@ecf.local>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR "DEB;TGZ")
include(CPack)
