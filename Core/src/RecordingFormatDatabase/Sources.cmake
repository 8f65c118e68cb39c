target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RecordingFormatDatabaseExceptions.cpp
)
