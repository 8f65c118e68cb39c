target_sources(CoreTestSupport PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TemporaryDirectory.cpp
)
target_sources(CoreTestSupport PRIVATE ${CMAKE_CURRENT_LIST_DIR}/RendererReference.cpp)
target_sources(CoreTestSupport PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TestCoreDataSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TestCorrectionFile.cpp
)
