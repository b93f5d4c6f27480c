# XML helpers over liblitexml_linux.
target_sources(utility PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CXmlEx.cpp)
target_link_libraries(utility PUBLIC litexml_linux)
