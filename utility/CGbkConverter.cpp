#include "utility/CGbkConverter.h"

#include <errno.h>
#include <iconv.h>

#include <cstddef>

namespace utility {

namespace {

const char kGbk[] = "GBK";
const char kUtf8[] = "UTF-8";
const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Owns one iconv conversion.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from `*in` on until the input ends or a sequence fails, appending
  // to `out`. Returns 0 at the end, else the errno of the failure; `*in` and
  // `*left` then point at the failing bytes.
  int convert(char** in, std::size_t* left, std::string& out) {
    char buffer[4096];
    while (*left > 0) {
      char* to = buffer;
      std::size_t room = sizeof buffer;
      std::size_t rc = iconv(cd_, in, left, &to, &room);
      out.append(buffer, sizeof buffer - room);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
        int failure = errno;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return failure;
      }
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool CGbkConverter::to_gbk(const std::string& utf8, std::string& gbk) {
  gbk.clear();
  Iconv cv(kGbk, kUtf8);
  if (!cv.ok()) return false;
  std::string input(utf8);
  char* in = &input[0];
  std::size_t left = input.size();
  if (cv.convert(&in, &left, gbk) != 0) {
    gbk.clear();
    return false;
  }
  return true;
}

std::string CGbkConverter::to_utf8(const std::string& gbk) {
  std::string utf8;
  Iconv cv(kUtf8, kGbk);
  std::string input(gbk);
  char* in = &input[0];
  std::size_t left = input.size();
  while (left > 0) {
    if (cv.ok() && cv.convert(&in, &left, utf8) == 0) break;
    bool ascii = static_cast<unsigned char>(*in) < 0x80;
    if (!cv.ok() && ascii) {
      utf8 += *in;
    } else {
      utf8 += kReplacement;
    }
    ++in;
    --left;
  }
  return utf8;
}

}  // namespace utility
