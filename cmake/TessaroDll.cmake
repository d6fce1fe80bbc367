# tessaro_add_dll(NAME BUILDING_DEFINE SOURCES ...)
#   One of our DLLs: named NAME.dll with import library libNAME.dll.a, compiled
#   with BUILDING_DEFINE so that its headers export instead of import, built
#   after the C++ runtime DLLs are in place, and installed into the package.
function(tessaro_add_dll name building_define)
    add_library(${name} SHARED ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
    target_compile_definitions(${name} PRIVATE ${building_define})
    add_dependencies(${name} tessaro_runtime_dlls)
    install(TARGETS ${name} EXPORT TessaroTargets
            RUNTIME DESTINATION bin LIBRARY DESTINATION bin ARCHIVE DESTINATION lib)
endfunction()

# tessaro_public_headers(TARGET SOURCE_DIR INCLUDE_SUBDIR)
#   Installs the headers below SOURCE_DIR into include/Tessaro/INCLUDE_SUBDIR
#   and gives TARGET's users that folder, in the build tree and once installed.
function(tessaro_public_headers target source_dir include_subdir)
    install(DIRECTORY ${source_dir}/ DESTINATION include/Tessaro/${include_subdir}
            FILES_MATCHING PATTERN "*.h")
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${source_dir}> $<INSTALL_INTERFACE:include/Tessaro/${include_subdir}>)
endfunction()
