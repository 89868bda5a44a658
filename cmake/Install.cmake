# What `cmake --install` puts in place on Linux: the header, libvemosoundmix.so with a versioned SONAME, the
# static archive as libvemosoundmix.a, vemomix, a pkg-config file and a CMake package
# (find_package(vemosoundmix) -> vemosoundmix::vemosoundmix, and vemosoundmix::static for the archive).
if(WIN32)
  return()
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(vemosoundmix PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
set(VEMO_SONAME libvemosoundmix.so.${PROJECT_VERSION_MAJOR})

install(FILES include/vemosoundmix.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS vemosoundmix LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES $<TARGET_FILE:vemo_static> DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME libvemosoundmix.a)
if(TARGET vemomix)
  install(TARGETS vemomix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The archive is C++ inside: a C program that links it needs the C++ runtime and libm (and libdl, for the
# module path of the preset file).
set(VEMO_STATIC_LIBS stdc++ m ${CMAKE_DL_LIBS})
list(TRANSFORM VEMO_STATIC_LIBS PREPEND "-l" OUTPUT_VARIABLE VEMO_STATIC_LINK_FLAGS)
list(JOIN VEMO_STATIC_LINK_FLAGS " " VEMO_STATIC_LINK_FLAGS)

# Both files find the prefix relative to where they are installed, so `cmake --install --prefix` anywhere
# gives working files.
set(VEMO_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VEMO_PC_TO_PREFIX /${VEMO_PKGCONFIG_DIR} /)
string(REGEX REPLACE "/$" "" VEMO_PC_TO_PREFIX "${VEMO_PC_TO_PREFIX}")
configure_file(cmake/vemosoundmix.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vemosoundmix.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vemosoundmix.pc DESTINATION ${VEMO_PKGCONFIG_DIR})

set(VEMO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vemosoundmix)
configure_package_config_file(cmake/vemosoundmixConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vemosoundmixConfig.cmake
  INSTALL_DESTINATION ${VEMO_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vemosoundmixConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vemosoundmixConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/vemosoundmixConfigVersion.cmake DESTINATION ${VEMO_CMAKE_DIR})

# The examples/ host built against an installed copy, through pkg-config and through CMake.
if(VEMO_BUILD_TESTS AND TARGET vemomix)
  add_test(NAME InstalledPackage.ExampleHostBuildsAndRuns
    COMMAND ${CMAKE_COMMAND} -E env "CC=${CMAKE_C_COMPILER}" "CFLAGS=${CMAKE_C_FLAGS}"
      "LDFLAGS=${CMAKE_EXE_LINKER_FLAGS}"
      ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/check_installed_package
      ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/examples ${CMAKE_INSTALL_LIBDIR} ${VEMO_SONAME})
  set_tests_properties(InstalledPackage.ExampleHostBuildsAndRuns PROPERTIES TIMEOUT 300 RUN_SERIAL ON)
endif()
