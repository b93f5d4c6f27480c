#include "host/objects/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace host {
namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Without a converter ASCII passes and every other byte is replaced.
std::string ascii_only(const std::string& gbk) {
  std::string out;
  for (char c : gbk) {
    if (static_cast<unsigned char>(c) < 0x80)
      out += c;
    else
      out += kReplacement;
  }
  return out;
}

}  // namespace

std::string gbk_to_utf8_lossy(const std::string& gbk) {
  iconv_t converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) return ascii_only(gbk);

  std::string out;
  char buffer[1024];
  char* in = const_cast<char*>(gbk.data());
  std::size_t in_left = gbk.size();
  while (in_left > 0) {
    char* next = buffer;
    std::size_t room = sizeof(buffer);
    std::size_t done = iconv(converter, &in, &in_left, &next, &room);
    out.append(buffer, static_cast<std::size_t>(next - buffer));
    if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip the offending byte.
    out += kReplacement;
    ++in;
    --in_left;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return out;
}

}  // namespace host
