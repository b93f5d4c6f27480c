# Strings and character sets, form encoding, Base64 and MD5.
target_sources(utility PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CConv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CStr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MD5.cpp
  ${CMAKE_CURRENT_LIST_DIR}/md5wrapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/url_encode.cpp)
