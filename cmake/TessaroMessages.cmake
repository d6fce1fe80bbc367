# The message table: one .mc source, compiled by windmc into a header of
# identifiers and a resource script that the library links.
set(TESSARO_MESSAGES_DIR ${CMAKE_BINARY_DIR}/messages)
set(TESSARO_MESSAGES_MC ${CMAKE_SOURCE_DIR}/resources/TessaroMessages.mc)
set(TESSARO_MESSAGES_RC ${TESSARO_MESSAGES_DIR}/TessaroMessages.rc)
add_custom_command(
    OUTPUT ${TESSARO_MESSAGES_RC} ${TESSARO_MESSAGES_DIR}/TessaroMessages.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARO_MESSAGES_DIR}
    # -c: customer bit, so the library's identifiers are 0x6133xxxx and 0xE133xxxx.
    COMMAND ${CMAKE_MC_COMPILER} -c -U -C 65001 -h ${TESSARO_MESSAGES_DIR} -r ${TESSARO_MESSAGES_DIR}
            ${TESSARO_MESSAGES_MC}
    DEPENDS ${TESSARO_MESSAGES_MC}
    COMMENT "Compiling the message table")
add_custom_target(tessaro_messages DEPENDS ${TESSARO_MESSAGES_RC})
set_source_files_properties(${TESSARO_MESSAGES_RC} PROPERTIES GENERATED TRUE)
