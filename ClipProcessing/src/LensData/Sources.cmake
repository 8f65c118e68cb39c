target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ClipLensData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CornerValues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenTrackIoConversion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenTrackIoFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenTrackIoLosses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenTrackIoSamples.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenTrackIoTiming.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimecodeMoments.cpp
)
