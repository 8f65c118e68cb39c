target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CorrectionFileExceptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Reader/Reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Parser/Parser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Finder/ClipFilePathBasedFinder.cpp
)
