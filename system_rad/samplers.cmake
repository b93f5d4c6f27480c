# The resource samplers: CPU, memory, file systems, network interfaces.
target_sources(system_rad PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CCpuInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMemInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDiskInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CNetInfo.cpp
)
