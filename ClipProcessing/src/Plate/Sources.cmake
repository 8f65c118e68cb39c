target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ClipName.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FramePattern.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InputClip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PicturePlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlateKind.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlateMetadata.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlateReader.cpp
)
