target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TimecodeExceptions.cpp
)
target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Timecode.cpp
)
