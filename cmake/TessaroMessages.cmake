# Message tables: an .mc source compiled by windmc into a header of identifiers
# and a resource script for the module that links it.

# tessaro_compile_messages(MC_FILE OUTPUT_DIR) makes OUTPUT_DIR/<name>.h and
# OUTPUT_DIR/<name>.rc. -c sets the customer bit, so identifiers are 0x6133xxxx
# and 0xE133xxxx.
function(tessaro_compile_messages mc_file output_dir)
    get_filename_component(name ${mc_file} NAME_WE)
    add_custom_command(
        OUTPUT ${output_dir}/${name}.rc ${output_dir}/${name}.h
        COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
        COMMAND ${CMAKE_MC_COMPILER} -c -U -C 65001 -h ${output_dir} -r ${output_dir} ${mc_file}
        DEPENDS ${mc_file}
        COMMENT "Compiling the message table ${name}.mc")
    set_source_files_properties(${output_dir}/${name}.rc PROPERTIES GENERATED TRUE)
endfunction()

# The library's own table, linked by the library and the framework stand-in.
set(TESSARO_MESSAGES_DIR ${CMAKE_BINARY_DIR}/messages)
set(TESSARO_MESSAGES_RC ${TESSARO_MESSAGES_DIR}/TessaroMessages.rc)
tessaro_compile_messages(${CMAKE_SOURCE_DIR}/resources/TessaroMessages.mc ${TESSARO_MESSAGES_DIR})
add_custom_target(tessaro_messages DEPENDS ${TESSARO_MESSAGES_RC})
