// Conversion of GBK texts for display.
#ifndef HOST_OBJECTS_GBK_TEXT_H_
#define HOST_OBJECTS_GBK_TEXT_H_

#include <string>

namespace host {

// `gbk` as UTF-8. Every byte that does not start a valid GBK character
// (a stray byte, a lead byte cut off at the end) becomes U+FFFD, and the
// conversion goes on with the next byte. Never fails; thread-safe.
std::string gbk_to_utf8_lossy(const std::string& gbk);

}  // namespace host

#endif  // HOST_OBJECTS_GBK_TEXT_H_
