# Turns a file into a C++ source that holds its bytes, so that window descriptions and pictures
# are compiled into the executable.
#
#   siirtolux_embed(<target> <input file> <C++ function name>)
# adds a source to <target> defining `std::string_view <name>()` in namespace `embedded`.

set(SIIRTOLUX_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(siirtolux_embed target input name)
    get_filename_component(abs_input ${input} ABSOLUTE)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded_${name}.cpp)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${abs_input} -DOUTPUT=${output} -DNAME=${name}
                -P ${SIIRTOLUX_EMBED_SCRIPT}
        DEPENDS ${abs_input} ${SIIRTOLUX_EMBED_SCRIPT}
        COMMENT "Embedding ${input}")
    target_sources(${target} PRIVATE ${output})
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED INPUT)
    file(READ ${INPUT} hex HEX)
    string(LENGTH "${hex}" hex_length)
    math(EXPR size "${hex_length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){24})" "\\1\n" bytes "${bytes}")
    file(WRITE ${OUTPUT}
"#include <string_view>\n\nnamespace embedded {\nnamespace {\nconst char data[] = {\n${bytes}\n'\\0'};\n}\n\nstd::string_view ${NAME}() { return { data, ${size} }; }\n\n} // namespace embedded\n")
endif()
