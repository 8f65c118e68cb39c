# The installed tree (cmake --install build --prefix DIR), laid out for a studio's software tree
# and relocatable as a whole: nothing in it names the prefix or the build folder, and each binary
# finds private shared libraries in DIR/lib through an $ORIGIN-relative RUNPATH.
#
#   DIR/bin/lenscorrect, DIR/bin/lenscorrect-slurm, DIR/bin/lenscorrect-report
#   DIR/lib/lenscorrection/plugins/   the two effect plug-ins (LC_PLUGIN_INSTALL_DIR)
#   DIR/lib/pythonX.Y/...-packages/   the Python module (LC_PYTHON_INSTALL_DIR)
set(LC_PLUGIN_INSTALL_DIR "lib/lenscorrection/plugins" CACHE STRING
    "Where cmake --install puts the effect plug-ins, relative to the install prefix")

# lc_install_relocatable(<target> DESTINATION <folder relative to the prefix> COMPONENT <name>)
function(lc_install_relocatable target)
    cmake_parse_arguments(ARG "" "DESTINATION;COMPONENT" "" ${ARGN})
    if(IS_ABSOLUTE "${ARG_DESTINATION}")
        message(FATAL_ERROR "${target}: an install folder relative to the prefix keeps the tree "
            "relocatable, not ${ARG_DESTINATION}")
    endif()
    file(RELATIVE_PATH toLib "/${ARG_DESTINATION}" "/lib")
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${toLib}")
    install(TARGETS ${target}
        RUNTIME DESTINATION "${ARG_DESTINATION}" COMPONENT ${ARG_COMPONENT}
        LIBRARY DESTINATION "${ARG_DESTINATION}" COMPONENT ${ARG_COMPONENT})
endfunction()
