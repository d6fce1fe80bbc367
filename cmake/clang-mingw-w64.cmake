# Cross-compile for 64-bit Windows with clang instead of GCC, against the same
# mingw-w64 headers and import libraries and the same GCC C++ runtime (POSIX
# threads), so the result shares one runtime with everything else we build.
# scripts/build-clang.sh uses it to keep the code acceptable to a second compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_MC_COMPILER  ${TOOLCHAIN_PREFIX}-windmc)

# clang does not look in GCC's versioned folder for this target: name GCC's C++
# headers and runtime libraries itself, wherever the POSIX-threads GCC keeps them.
execute_process(COMMAND ${TOOLCHAIN_PREFIX}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(TESSARO_GCC_DIR ${libgcc} DIRECTORY)
set(TESSARO_LIBSTDCXX ${TESSARO_GCC_DIR}/libstdc++-6.dll)
set(TESSARO_LIBGCC ${TESSARO_GCC_DIR}/libgcc_s_seh-1.dll)

set(gcc_cxx_includes
    "-nostdinc++ -isystem ${TESSARO_GCC_DIR}/include/c++"
    "-isystem ${TESSARO_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX}"
    "-isystem ${TESSARO_GCC_DIR}/include/c++/backward")
string(JOIN " " CMAKE_CXX_FLAGS_INIT ${gcc_cxx_includes})
# GCC's driver adds the threads library for its POSIX flavour; clang's does not.
# The link line repeats the compile flags above, whose -nostdinc++ means nothing there.
set(link_flags "-fuse-ld=lld -L${TESSARO_GCC_DIR} -lpthread -Wno-unused-command-line-argument")
set(CMAKE_EXE_LINKER_FLAGS_INIT    ${link_flags})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${link_flags})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${link_flags})

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
