# The anomaly detectors.
target_sources(system_rad PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CPhiAccrualFailureDetector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CTrendAnomalyDetector.cpp
)
