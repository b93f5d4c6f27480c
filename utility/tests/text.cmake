# Strings and character sets, form encoding, Base64 and MD5. The conversion
# tests hold Chinese literals as GBK bytes, like the code that uses them.
agent_test(NAME utility_text_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Base64_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CConv_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CStr_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MD5_test.cpp
  LIBS utility)
agent_gbk_texts(utility_text_test)
