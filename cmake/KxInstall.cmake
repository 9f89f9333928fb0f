# `cmake --install` puts the headers under <prefix>/include/kx/, the layer libraries (the embedded scripts, styles
# and images are compiled into kx_platform) under <prefix>/lib/, and two ways to find them: the CMake package
# (find_package(kx) then kx::kx) and kx.pc for pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KX_LAYERS kx_hosts kx_controls kx_data kx_forms kx_appserver kx_net_http kx_foundation kx_platform)
install(TARGETS ${KX_LAYERS} kx EXPORT kxTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/kx/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kx
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/kx/Version.h ${PROJECT_BINARY_DIR}/include/kx/kx.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kx)

set(KX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kx)
install(EXPORT kxTargets NAMESPACE kx:: DESTINATION ${KX_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kxConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/kxConfig.cmake INSTALL_DESTINATION ${KX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kxConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kxConfig.cmake ${PROJECT_BINARY_DIR}/kxConfigVersion.cmake
        DESTINATION ${KX_CMAKE_DIR})

# pkg-config: the layers in link order (each static library before the ones it needs), then the system libraries.
set(KX_PC_LIBS "")
foreach(layer IN LISTS KX_LAYERS)
  string(APPEND KX_PC_LIBS " -l${layer}")
endforeach()
# The prefix is found from the file's own place, since `cmake --install --prefix` may put it elsewhere than the
# CMAKE_INSTALL_PREFIX it was configured with.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(KX_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH KX_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" KX_PC_PREFIX "${KX_PC_PREFIX}")
  set(KX_PC_PREFIX "\${pcfiledir}/${KX_PC_PREFIX}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/kx.pc.in ${PROJECT_BINARY_DIR}/kx.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kx.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
