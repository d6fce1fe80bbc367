# Run by ctest as test_package (see CMakeLists.txt for the variables).
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command}\nexited with ${status}:\n${out}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${SCRATCH_DIR}/prefix)
set(host_source ${SCRATCH_DIR}/host-source)
set(host_build ${SCRATCH_DIR}/host-build)
file(REMOVE_RECURSE ${SCRATCH_DIR})
file(COPY ${HOST_SOURCE_DIR}/ DESTINATION ${host_source})

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed bin/Tessaro87U.dll bin/TessaroMfc.dll bin/TessaroToolkit.dll bin/libstdc++-6.dll
                  lib/libTessaro87U.dll.a include/Tessaro/resources/TessaroMessages.h
                  include/Tessaro/platform/mfc/afxwin.h lib/cmake/Tessaro/TessaroConfig.cmake)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "The package lacks ${installed}")
    endif()
endforeach()

# No package registry, no environment: the prefix is the only place to look.
run(${CMAKE_COMMAND} -S ${host_source} -B ${host_build} -G ${GENERATOR}
    -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${host_build})

# The host's compile and link lines must reach the library through the prefix
# only, never through our source or build folders.
run(${MAKE_PROGRAM} -C ${host_build} -t commands)
foreach(forbidden ${SOURCE_DIR}/foundation ${SOURCE_DIR}/platform ${BUILD_DIR}/lib ${BUILD_DIR}/messages)
    string(FIND "${run_output}" "${forbidden}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "The host build reaches ${forbidden}:\n${run_output}")
    endif()
endforeach()

# Wine finds the package's DLLs through WINEPATH, as a host's installer would
# put them on its own path.
set(ENV{WINEPATH} "Z:${prefix}/bin")
run(${WINE_RUN} ${host_build}/host.exe)
message("${run_output}")
