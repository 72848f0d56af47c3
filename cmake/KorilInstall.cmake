# Installs headers, libraries, a CMake package (find_package(KorilFilesystem CONFIG)) and a
# pkg-config file.
include(CMakePackageConfigHelpers)

set(KORIL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KorilFilesystem)

install(TARGETS koril_unicode koril_filesystem EXPORT KorilFilesystemTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/unicode/include/ ${PROJECT_SOURCE_DIR}/filesystem/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_BINARY_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT KorilFilesystemTargets NAMESPACE koril:: DESTINATION ${KORIL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorilFilesystemConfig.cmake.in
    ${PROJECT_BINARY_DIR}/KorilFilesystemConfig.cmake INSTALL_DESTINATION ${KORIL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorilFilesystemConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorilFilesystemConfig.cmake
              ${PROJECT_BINARY_DIR}/KorilFilesystemConfigVersion.cmake
        DESTINATION ${KORIL_CMAKE_DIR})

configure_file(${PROJECT_SOURCE_DIR}/cmake/koril-filesystem.pc.in
               ${PROJECT_BINARY_DIR}/koril-filesystem.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/koril-filesystem.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
