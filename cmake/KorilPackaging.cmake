# Packages, with CPack (cmake --build DIR --target package, into DIR/packages):
#   POSIX:   two Debian packages, koril-filesystem (the shared libraries and kfs) and
#            koril-filesystem-dev (headers, CMake package, pkg-config file, the .so links);
#   Windows: one .zip holding bin/ (the DLLs, the compiler's runtime DLLs, kfs.exe), lib/ (the
#            import libraries, CMake package, pkg-config file) and include/.
set(KORIL_PACKAGE_CONTACT "koril filesystem maintainers <maintainers@koril-filesystem.invalid>")

set(CPACK_PACKAGE_NAME koril-filesystem)
set(CPACK_PACKAGE_VENDOR "The koril::filesystem developers")
set(CPACK_PACKAGE_CONTACT "${KORIL_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# CPack puts a summary it did not make up itself before every Debian description; each component
# description below starts with a synopsis of its own instead.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Runtime Development)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME koril-filesystem-${PROJECT_VERSION}-win64)
    set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

    set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME koril-filesystem)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
    # The runtime package holds shared libraries in /usr/lib: ldconfig runs when it changes.
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
    # The first line is the synopsis; CPack indents the rest as Debian wants.
    set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
        "paths and file operations for C++ (libraries and kfs)
koril::filesystem is a C++17 library of paths that compare without regard
to letter case or Unicode composition, status queries and directory
listing, file operations, glob matching, name algorithms, file locks,
traversal and scratch storage.

This package holds the shared libraries and the kfs command-line tool.")

    set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME koril-filesystem-dev)
    set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
    set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "koril-filesystem (= ${PROJECT_VERSION})")
    set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
        "paths and file operations for C++ (development files)
koril::filesystem is a C++17 library of paths that compare without regard
to letter case or Unicode composition, status queries and directory
listing, file operations, glob matching, name algorithms, file locks,
traversal and scratch storage.

This package holds the headers, the CMake package, the pkg-config file
and the links to build against the libraries.")

    # Each package carries its copyright and changelog, as Debian requires.
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
                   ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/packaging/changelog
                > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
        VERBATIM)
    add_custom_target(koril_package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
    foreach(component Runtime Development)
        set(package koril-filesystem)
        if(component STREQUAL Development)
            set(package koril-filesystem-dev)
        endif()
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
                      ${PROJECT_BINARY_DIR}/packaging/changelog.gz
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
    endforeach()
endif()

include(CPack)
