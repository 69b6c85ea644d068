# Installation: the library, its header, a pkg-config file, a CMake package
# (find_package(ecf)) and the tools. Debian packages are made from these by
# debian/ (dpkg-buildpackage); the Python binding installs itself
# (bindings/python).
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
# The export list, for bindings in other languages.
install(FILES ${ECF_EXPORTS_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/ecf)

# The tools; the ecf tool has the library's code built in.
foreach(_tool ecf_tool ecf-sim)
  if(TARGET ${_tool})
    install(TARGETS ${_tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
