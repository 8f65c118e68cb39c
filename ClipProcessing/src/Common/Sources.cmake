target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DropFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Failure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextHelpers.cpp
)
