target_sources(ClipProcessing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ClipPlan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipPlanFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipRunDocument.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipRunFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClipRunIdentification.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameSizes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameStages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JobPlan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MappingListing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RunReport.cpp
)
