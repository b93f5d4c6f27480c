# The per-resource monitors: CPU, memory, swap, network, file systems.
target_sources(system_rad PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CCpuRAD.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMemRAD.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSwapRAD.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CNetRAD.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDiskRAD.cpp
)
