#include "platform/litexml/litexml.h"

CLiteXmlException::CLiteXmlException(const std::string& message) : message_(message) {}

CLiteXmlException::~CLiteXmlException() {}

const char* CLiteXmlException::what() const noexcept { return message_.c_str(); }
