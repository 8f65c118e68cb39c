target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DurableFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Preview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Provenance.cpp
)
