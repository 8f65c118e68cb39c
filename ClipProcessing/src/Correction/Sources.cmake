target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Canvas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandLineDataSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Extraction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameCorrector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowCorrection.cpp
)
