target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CorrectionDataExceptions.cpp
)
target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Calculations/Calculations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Container/ManagedContainer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContainerManager/ContainerManager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContainerManager/ContainerManagerContentCache.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ContainerManager/CorrectionFileBasedContainerManagerDataSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Parser/JsonParser.cpp
)
