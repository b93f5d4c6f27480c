#include "utility/url_encode.h"

namespace utility {

namespace {

bool is_unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

char ToHex(unsigned char v) {
  static const char kDigits[] = "0123456789ABCDEF";
  return kDigits[v & 0x0F];
}

std::string url_encode(const std::string& text) {
  std::string encoded;
  encoded.reserve(text.size());
  for (char byte : text) {
    unsigned char c = static_cast<unsigned char>(byte);
    if (is_unreserved(c)) {
      encoded += byte;
    } else if (c == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += ToHex(c >> 4);
      encoded += ToHex(c & 0x0F);
    }
  }
  return encoded;
}

}  // namespace utility
