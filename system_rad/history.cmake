# The history store.
target_sources(system_rad PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CSystemRadData.cpp)
