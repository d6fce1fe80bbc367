# The library, the stand-in DLLs, tests and hosts all link the C++ runtime
# dynamically so that one copy of it (one heap, one exception machinery) serves
# the whole process. Its DLLs are copied beside our programs.
# A toolchain whose compiler cannot say where they are names them itself.
if(NOT TESSARO_LIBSTDCXX)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                    OUTPUT_VARIABLE TESSARO_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                    OUTPUT_VARIABLE TESSARO_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
find_file(TESSARO_WINPTHREAD libwinpthread-1.dll
          PATHS /usr/x86_64-w64-mingw32/lib /usr/x86_64-w64-mingw32/bin NO_DEFAULT_PATH)
if(NOT TESSARO_WINPTHREAD)
    message(FATAL_ERROR "libwinpthread-1.dll not found")
endif()
set(TESSARO_RUNTIME_DLLS ${TESSARO_LIBSTDCXX} ${TESSARO_LIBGCC} ${TESSARO_WINPTHREAD})
add_custom_target(tessaro_runtime_dlls
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TESSARO_RUNTIME_DLLS} ${CMAKE_BINARY_DIR}/bin
    COMMENT "Copying the C++ runtime DLLs")
