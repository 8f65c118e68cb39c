target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MetadataDatabaseExceptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CsvStringBasedMetadataDatabase.cpp
)

include(EmbedRows)
lc_embed_rows(Core ${CMAKE_CURRENT_LIST_DIR}/metadata-keys.csv
    "MetadataDatabase/MetadataKeysCsvStringArray.h"
    MetadataDatabase metadataKeysCsvStringArray)
