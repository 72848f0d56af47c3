# Installs headers, libraries, a CMake package (find_package(KorilFilesystem CONFIG)) and a
# pkg-config file.
include(CMakePackageConfigHelpers)

set(KORIL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KorilFilesystem)

# Two components: Runtime (what a program needs to run) and Development (what it needs to build).
install(TARGETS koril_unicode koril_filesystem EXPORT KorilFilesystemTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/unicode/include/ ${PROJECT_SOURCE_DIR}/filesystem/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_BINARY_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT Development)

install(EXPORT KorilFilesystemTargets NAMESPACE koril:: DESTINATION ${KORIL_CMAKE_DIR}
        COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorilFilesystemConfig.cmake.in
    ${PROJECT_BINARY_DIR}/KorilFilesystemConfig.cmake INSTALL_DESTINATION ${KORIL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorilFilesystemConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorilFilesystemConfig.cmake
              ${PROJECT_BINARY_DIR}/KorilFilesystemConfigVersion.cmake
        DESTINATION ${KORIL_CMAKE_DIR} COMPONENT Development)

# The pkg-config file finds its prefix from where it lies, so that the same file serves an
# install in any prefix, a package, and an unpacked archive.
file(RELATIVE_PATH KORIL_PC_PREFIX_FROM_PCFILEDIR /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KORIL_PC_PREFIX_FROM_PCFILEDIR "${KORIL_PC_PREFIX_FROM_PCFILEDIR}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/koril-filesystem.pc.in
               ${PROJECT_BINARY_DIR}/koril-filesystem.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/koril-filesystem.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
