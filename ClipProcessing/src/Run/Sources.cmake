target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ClipPlan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameStages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JobPlan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunSettings.cpp
)
