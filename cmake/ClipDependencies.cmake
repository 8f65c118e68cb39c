# What the clip level (ClipProcessing and the command-line tools on it) needs: OpenImageIO, CLI11
# and nlohmann_json (scripts/install-deps.sh). Sets LC_CLIP_DEPENDENCIES_FOUND; without them the
# clip level is left out and the rest of the project still builds.
# GLOBAL: the example, the tests and the benchmark use them too.
find_package(OpenImageIO CONFIG QUIET GLOBAL)
find_package(CLI11 CONFIG QUIET GLOBAL)
find_package(nlohmann_json 3 CONFIG QUIET GLOBAL)
if(NOT OpenImageIO_FOUND OR NOT CLI11_FOUND OR NOT nlohmann_json_FOUND)
    message(WARNING "OpenImageIO, CLI11 or nlohmann_json not found: ClipProcessing and the "
        "lenscorrect tool are not built.")
    set(LC_CLIP_DEPENDENCIES_FOUND OFF)
    return()
endif()
set(LC_CLIP_DEPENDENCIES_FOUND ON)

# Debian's OpenImageIO package names an OpenCV include directory that only exists when OpenCV's
# headers are installed; CMake refuses imported targets with missing include directories.
foreach(target OpenImageIO::OpenImageIO OpenImageIO::OpenImageIO_Util)
    foreach(property INTERFACE_INCLUDE_DIRECTORIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES)
        get_target_property(directories ${target} ${property})
        if(directories)
            set(existing)
            foreach(directory IN LISTS directories)
                if(EXISTS ${directory})
                    list(APPEND existing ${directory})
                endif()
            endforeach()
            set_target_properties(${target} PROPERTIES ${property} "${existing}")
        endif()
    endforeach()
endforeach()

