target_sources(CoreTestSupport PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/TemporaryDirectory.cpp
)
