# Copies the compiler's runtime DLLs next to the executables so that they start under Wine (or
# on Windows) without any search path, and installs them with the libraries.
set(KORIL_MINGW_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
        message(FATAL_ERROR "The mingw-w64 runtime library ${dll} was not found")
    endif()
    list(APPEND KORIL_MINGW_RUNTIME_DLLS "${dll_path}")
    file(COPY "${dll_path}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endforeach()
install(FILES ${KORIL_MINGW_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
