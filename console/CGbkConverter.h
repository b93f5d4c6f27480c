// Converts texts between GBK (what the agent stores and sends) and UTF-8
// (what the console reads and prints), over the C library's iconv.
//
// Stateless: every call opens its own conversion, so calls are safe from
// several threads.
#ifndef CONSOLE_CGBKCONVERTER_H_
#define CONSOLE_CGBKCONVERTER_H_

#include <string>

namespace console {

class CGbkConverter {
 public:
  // Input direction. False when `utf8` is not valid UTF-8 or holds a
  // character GBK cannot represent; `gbk` is then empty.
  static bool to_gbk(const std::string& utf8, std::string& gbk);

  // Output direction. Never fails: each byte that does not start a valid
  // GBK sequence becomes U+FFFD.
  static std::string to_utf8(const std::string& gbk);
};

}  // namespace console

#endif  // CONSOLE_CGBKCONVERTER_H_
