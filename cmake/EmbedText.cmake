# lc_embed_text(<target> <input file> <namespace> <variable>)
# Compiles the bytes of <input file> into <target> as
#   namespace <namespace> { extern const char* const <variable>; }
# The file stays a real file in the tree; editing it re-runs the configure step.
function(lc_embed_text target input namespace variable)
    get_filename_component(input_abs ${input} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input_abs})
    file(READ ${input_abs} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${variable}.cpp)
    file(CONFIGURE OUTPUT ${output} CONTENT
"// Generated from ${input} at configure time; do not edit.
namespace ${namespace}
{
extern const char* const ${variable};
static const char ${variable}Bytes[] = {${bytes} '\\0'};
const char* const ${variable} = ${variable}Bytes;
}
" @ONLY)
    target_sources(${target} PRIVATE ${output})
endfunction()
