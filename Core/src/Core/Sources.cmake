target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Core.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CorePrivate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CorrectionFrameLookup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtendedManagedContainer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameArithmetic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RendererConfiguration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextCopy.cpp
)
