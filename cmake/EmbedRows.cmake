# lc_embed_rows(<target> <input file> <header> <namespace> <variable>)
# Compiles the lines of <input file> into <target> as one text per row:
#   namespace <namespace> { const std::array<std::string_view, <row count>> <variable> = {{...}}; }
# The generated source includes <header>, which declares <variable> with the row count the table
# must have; a file with another number of rows then fails to compile instead of loading short.
# The rows are generated at build time, so editing the file rebuilds only what depends on it.
# Every row must end with a line feed (file(READ) drops the CR of CRLF ends); no empty rows.
#
# The same file runs as the generator: cmake -DLC_EMBED_ROWS_...=... -P EmbedRows.cmake

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    file(READ "${LC_EMBED_ROWS_INPUT}" text)
    if(text STREQUAL "")
        message(FATAL_ERROR "${LC_EMBED_ROWS_INPUT}: no rows")
    endif()
    if(NOT text MATCHES "\n$")
        message(FATAL_ERROR "${LC_EMBED_ROWS_INPUT}: the last row does not end with LF")
    endif()
    if(text MATCHES "^\n" OR text MATCHES "\n\n")
        message(FATAL_ERROR "${LC_EMBED_ROWS_INPUT}: empty row")
    endif()
    string(REGEX MATCHALL "\n" lineEnds "${text}")
    list(LENGTH lineEnds rowCount)
    # Each row becomes a C++ string literal: escape what a literal cannot hold as is.
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE "\n" "\",\n    \"" rows "${text}")
    file(WRITE "${LC_EMBED_ROWS_OUTPUT}"
"// Generated from ${LC_EMBED_ROWS_INPUT} by cmake/EmbedRows.cmake; do not edit.
#include \"${LC_EMBED_ROWS_HEADER}\"

namespace ${LC_EMBED_ROWS_NAMESPACE}
{
const std::array<std::string_view, ${rowCount}> ${LC_EMBED_ROWS_VARIABLE} = { {
    \"${rows}\",
} };
}
")
    return()
endif()

include_guard(GLOBAL)

function(lc_embed_rows target input header namespace variable)
    get_filename_component(input_abs ${input} ABSOLUTE)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${variable}.cpp)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND}
            -DLC_EMBED_ROWS_INPUT=${input_abs}
            -DLC_EMBED_ROWS_OUTPUT=${output}
            -DLC_EMBED_ROWS_HEADER=${header}
            -DLC_EMBED_ROWS_NAMESPACE=${namespace}
            -DLC_EMBED_ROWS_VARIABLE=${variable}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        DEPENDS ${input_abs} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        COMMENT "Embedding the rows of ${input}"
        VERBATIM
    )
    target_sources(${target} PRIVATE ${output})
endfunction()
