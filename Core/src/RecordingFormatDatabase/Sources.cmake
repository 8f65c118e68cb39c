target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RecordingFormatDatabaseExceptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordingFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CsvStringBasedRecordingFormatDatabase.cpp
)

include(EmbedRows)
lc_embed_rows(Core ${CMAKE_CURRENT_LIST_DIR}/recording-formats.csv
    "RecordingFormatDatabase/RecordingFormatsCsvStringArray.h"
    RecordingFormatDatabase recordingFormatsCsvStringArray)
