# Installation of the library: libvn.a, the public headers in their folders under include/vn/
# (with vn.h), a pkg-config file and a CMake package exporting vn::vn. Included by the
# main CMakeLists after the library target, with GNUInstallDirs, VN_FOLDERS and VN_INCLUDE_SUBDIR set.

include(CMakePackageConfigHelpers)

set(VN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vn)

install(TARGETS vn EXPORT vnTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Every header of the library folders, so that new classes need no change here, except the
# internal ones: a header named *Hooks.h declares switches that only test and fuzz programs set.
set(VN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${VN_INCLUDE_SUBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/vn.h DESTINATION ${VN_INSTALL_INCLUDEDIR})
foreach(folder ${VN_FOLDERS})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  list(FILTER headers EXCLUDE REGEX "Hooks\\.h$")
  install(FILES ${headers} DESTINATION ${VN_INSTALL_INCLUDEDIR}/${folder})
endforeach()

install(EXPORT vnTargets NAMESPACE vn:: DESTINATION ${VN_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vnConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vnConfig.cmake INSTALL_DESTINATION ${VN_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vnConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vnConfig.cmake ${PROJECT_BINARY_DIR}/vnConfigVersion.cmake
  DESTINATION ${VN_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so an install under another prefix
# (cmake --install --prefix, DESTDIR) stays right.
file(RELATIVE_PATH VN_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VN_PC_PREFIX "${VN_PC_PREFIX}")
file(RELATIVE_PATH VN_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH VN_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX}
  ${CMAKE_INSTALL_FULL_INCLUDEDIR}/${VN_INCLUDE_SUBDIR})
configure_file(${PROJECT_SOURCE_DIR}/cmake/vn.pc.in ${PROJECT_BINARY_DIR}/vn.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vn.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
