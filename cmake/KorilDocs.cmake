# The API reference, built from the public headers with Doxygen: cmake --build DIR --target docs,
# then open DIR/docs/html/index.html. The build fails on any undocumented public symbol.
find_package(Doxygen QUIET)
set(KORIL_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
if(DOXYGEN_FOUND)
    configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${KORIL_DOCS_OUTPUT}/Doxyfile @ONLY)
    add_custom_target(docs
        COMMAND ${CMAKE_COMMAND} -E remove_directory ${KORIL_DOCS_OUTPUT}/html
        COMMAND Doxygen::doxygen ${KORIL_DOCS_OUTPUT}/Doxyfile
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        COMMENT "Building the API reference in ${KORIL_DOCS_OUTPUT}/html"
        VERBATIM)
else()
    add_custom_target(docs
        COMMAND ${CMAKE_COMMAND} -E echo "The API reference needs Doxygen (apt-get install doxygen)"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
endif()
