// Converts texts between GBK (what the agent stores, logs and sends) and
// UTF-8 (what people read at the borders: the console, the host's output),
// through CConv::Iconv, the library's one iconv path.
//
// Stateless: every call opens its own conversion, so calls are safe from
// several threads.
#ifndef UTILITY_CGBKCONVERTER_H_
#define UTILITY_CGBKCONVERTER_H_

#include <string>

namespace utility {

class CGbkConverter {
 public:
  // Input direction. False when `utf8` is not valid UTF-8 or holds a
  // character GBK cannot represent; `gbk` is then empty.
  static bool to_gbk(const std::string& utf8, std::string& gbk);

  // Output direction. Never fails: each byte that does not start a valid
  // GBK sequence becomes U+FFFD (every byte but ASCII, should the C library
  // lack the conversion).
  static std::string to_utf8(const std::string& gbk);
};

}  // namespace utility

#endif  // UTILITY_CGBKCONVERTER_H_
