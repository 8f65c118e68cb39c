target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Logger.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LogEntry.cpp
)
