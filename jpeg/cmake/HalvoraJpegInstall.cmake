# cmake --install: the C header (include/halvora/jpeg.h), the library, a CMake
# package (find_package(HalvoraJpeg) gives Halvora::jpeg) with its version
# file, and halvora-jpeg.pc. A static codec needs the platform's file and
# settings library beside it, so that is installed and exported too.
include(CMakePackageConfigHelpers)

set(_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/HalvoraJpeg)

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/include/halvora/jpeg.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/halvora)
install(TARGETS halvora_jpeg halvora_platform_io EXPORT HalvoraJpegTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT HalvoraJpegTargets NAMESPACE Halvora:: DESTINATION ${_package_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/HalvoraJpegConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/HalvoraJpegConfig.cmake INSTALL_DESTINATION ${_package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/HalvoraJpegConfigVersion.cmake
  VERSION ${HALVORA_JPEG_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/HalvoraJpegConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/HalvoraJpegConfigVersion.cmake
        DESTINATION ${_package_dir})

# A C program links the C++ runtime too when it takes the static library.
if(BUILD_SHARED_LIBS)
  set(HALVORA_JPEG_PC_LIBS "-lhalvora-jpeg")
else()
  set(HALVORA_JPEG_PC_LIBS "-lhalvora-jpeg -lhalvora-platform-io -lstdc++ -lm")
endif()
# The .pc file finds the prefix from its own place, so an installed tree can move.
file(RELATIVE_PATH HALVORA_JPEG_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/halvora-jpeg.pc.in ${CMAKE_CURRENT_BINARY_DIR}/halvora-jpeg.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/halvora-jpeg.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
