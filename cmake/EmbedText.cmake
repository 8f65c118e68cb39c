# lc_embed_text(<target> <input file> <namespace> <variable> [PREPEND <files...>])
# Compiles the bytes of <input file> into <target> as
#   namespace <namespace> { extern const char* const <variable>; }
# With PREPEND, the given files come first, in order (kernel sources share helpers this way);
# each part starts with a #line directive, so compiler messages name the real file and line.
# The files stay real files in the tree; editing one re-runs the configure step.
function(lc_embed_text target input namespace variable)
    cmake_parse_arguments(ARG "" "" "PREPEND" ${ARGN})
    set(bytes "")
    foreach(part IN LISTS ARG_PREPEND input)
        get_filename_component(part_abs ${part} ABSOLUTE)
        get_filename_component(part_name ${part} NAME)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${part_abs})
        file(READ ${part_abs} hex HEX)
        if(ARG_PREPEND)
            string(HEX "#line 1 \"${part_name}\"\n" line_hex)
            string(PREPEND hex "${line_hex}")
        endif()
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," part_bytes "${hex}")
        string(APPEND bytes "${part_bytes}")
    endforeach()
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
