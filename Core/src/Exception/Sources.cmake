target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Exception.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DetailLines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClassicNumberReader.cpp
)
