target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrameMapping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MappingDocument.cpp
)
