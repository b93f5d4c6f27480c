agent_test(NAME utility_xml_test SOURCES CXmlEx_test.cpp LIBS utility)
# The GBK texts of the tests are written as UTF-8 here.
agent_gbk_texts(utility_xml_test)
