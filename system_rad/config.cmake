# The monitoring settings and their cache.
target_sources(system_rad PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CSystemRADConfig.cpp)
target_link_libraries(system_rad PUBLIC litexml_linux)
