# lc_add_effect_plugin(<target> SOURCES <files...> LIBRARIES <libraries...>)
#
# Builds an effect plug-in: a loadable module without the "lib" prefix, compiled with hidden
# symbols and linked with a version script, so that EntryPointFunc is its only defined dynamic
# symbol (check with `nm -D --defined-only`).
set(LC_EFFECT_PLUGIN_EXPORTS ${CMAKE_CURRENT_LIST_DIR}/EffectPluginExports.map)

function(lc_add_effect_plugin target)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_library(${target} MODULE ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        CXX_VISIBILITY_PRESET hidden
        C_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LINK_DEPENDS ${LC_EFFECT_PLUGIN_EXPORTS}
    )
    target_link_options(${target} PRIVATE "LINKER:--version-script=${LC_EFFECT_PLUGIN_EXPORTS}")
    # A host resolves nothing for us: every symbol must be found at link time. Sanitizer and
    # fuzzer runtimes live in the executable, so their builds cannot ask for that.
    if(NOT LC_SANITIZE AND NOT LC_BUILD_FUZZERS)
        target_link_options(${target} PRIVATE "LINKER:-z,defs")
    endif()
    lc_set_warnings(${target})
endfunction()
