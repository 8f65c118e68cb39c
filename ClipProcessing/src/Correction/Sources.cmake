target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CorrectorSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameCorrector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LensDataKey.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LensDataSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowCorrection.cpp
)
