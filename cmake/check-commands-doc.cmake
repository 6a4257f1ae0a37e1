# Test: docs/commands.md is what the program lists now.
#     cmake -DPROGRAM=<quivra> -DDOC=<docs/commands.md> -P check-commands-doc.cmake
execute_process(COMMAND ${PROGRAM} --list-commands --markdown
                OUTPUT_VARIABLE listed ERROR_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "quivra --list-commands --markdown failed (${result})")
endif()
if(EXISTS ${DOC})
    file(READ ${DOC} written)
else()
    set(written "")
endif()
if(NOT listed STREQUAL written)
    message(FATAL_ERROR "docs/commands.md is out of date with the program's commands; "
                        "regenerate it with scripts/commands-doc.sh [BUILD_DIR] and commit it")
endif()
