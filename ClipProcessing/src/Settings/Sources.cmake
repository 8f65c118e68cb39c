target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Extraction.cpp
)
