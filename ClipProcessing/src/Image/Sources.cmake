target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ChannelLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColorConversion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FramePool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HeapSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RgbaImage.cpp
)
