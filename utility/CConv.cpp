#include "utility/CConv.h"

#include <errno.h>
#include <iconv.h>

#include <climits>
#include <cstring>

#include "utility/url_encode.h"

namespace utility {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converts all of `in` into out[0, size). True when the whole input went
// through; `*written` counts the bytes written either way.
bool convert_into(const char* to, const char* from, const char* in, std::size_t length, char* out,
                  std::size_t size, std::size_t* written) {
  *written = 0;
  CConv::Iconv converter(to, from);
  if (!converter.ok()) return false;
  char* cursor = out;
  std::size_t room = size;
  int failure = converter.convert(&in, &length, &cursor, &room);
  *written = static_cast<std::size_t>(cursor - out);
  return failure == 0;
}

// The output bound of a GBK to UTF-8 conversion of `length` bytes.
bool utf8_bound(std::size_t length, std::size_t* bound) {
  if (length > (static_cast<std::size_t>(INT_MAX) - 1) / 3) return false;
  *bound = 3 * length + 1;
  return true;
}

}  // namespace

CConv::Iconv::Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

CConv::Iconv::~Iconv() {
  if (ok()) iconv_close(static_cast<iconv_t>(cd_));
}

bool CConv::Iconv::ok() const { return static_cast<iconv_t>(cd_) != kNoConverter; }

int CConv::Iconv::convert(const char** in, std::size_t* left, char** out, std::size_t* room) {
  iconv_t cd = static_cast<iconv_t>(cd_);
  // iconv never writes through its input pointer.
  char** source = const_cast<char**>(in);
  if (iconv(cd, source, left, out, room) == static_cast<std::size_t>(-1)) {
    int failure = errno;
    if (failure != E2BIG) iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial state again
    return failure;
  }
  if (iconv(cd, nullptr, nullptr, out, room) == static_cast<std::size_t>(-1)) return errno;
  return 0;
}

int CConv::Iconv::append(const char** in, std::size_t* left, std::string& out) {
  while (*left > 0) {
    std::size_t start = out.size();
    std::size_t room = *left * 2 + 16;  // enough for most texts in one pass
    out.resize(start + room);
    char* cursor = &out[start];
    int failure = convert(in, left, &cursor, &room);
    out.resize(static_cast<std::size_t>(cursor - out.data()));
    if (failure != 0 && failure != E2BIG) return failure;
  }
  return 0;
}

int CConv::gbk_to_utf8(const char* in, char* out, int size) {
  if (in == nullptr) return 0;
  std::size_t length = std::strlen(in);
  std::size_t bound = 0;
  if (out == nullptr) return utf8_bound(length, &bound) ? static_cast<int>(bound) : 0;
  if (size <= 0) return 0;
  std::size_t written = 0;
  if (!convert_into(kUtf8, kGbk, in, length, out, static_cast<std::size_t>(size), &written)) {
    return 0;
  }
  if (written < static_cast<std::size_t>(size)) out[written] = '\0';
  return static_cast<int>(written);
}

int CConv::utf8_to_gbk(const char* in, char* out, int size) {
  if (in == nullptr) return 0;
  std::size_t length = std::strlen(in);
  std::size_t bound = 0;
  if (out == nullptr) return utf8_bound(length, &bound) ? static_cast<int>(bound) : 0;
  if (size <= 0) return 0;
  std::memset(out, 0, static_cast<std::size_t>(size));
  std::size_t written = 0;
  if (!convert_into(kGbk, kUtf8, in, length, out, static_cast<std::size_t>(size), &written)) {
    return 0;
  }
  return static_cast<int>(written);
}

std::string CConv::gbk_to_utf8_string(const char* in) {
  if (in == nullptr || *in == '\0') return std::string();
  std::size_t length = std::strlen(in);
  std::size_t bound = 0;
  if (!utf8_bound(length, &bound)) return std::string();
  std::string text(bound, '\0');
  std::size_t written = 0;
  convert_into(kUtf8, kGbk, in, length, &text[0], bound, &written);
  text.resize(written);
  return text;
}

std::string CConv::utf8_to_gbk_string(const char* in) {
  if (in == nullptr || *in == '\0') return std::string();
  std::size_t length = std::strlen(in);
  std::string text(length + 1, '\0');
  std::size_t written = 0;
  convert_into(kGbk, kUtf8, in, length, &text[0], text.size(), &written);
  text.resize(written);
  return text;
}

std::string CConv::url_string(const char* in) {
  return in == nullptr ? std::string() : url_encode(in);
}

std::string CConv::gbk_to_utf8_url_string(const char* in) {
  return url_encode(gbk_to_utf8_string(in));
}

bool CConv::has_chinese_char(const std::string& text) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i + 1 < text.size()) {
    if (bytes[i] > 0xA3) return true;
    if (bytes[i] == 0xA3 || (bytes[i] == 0xA1 && bytes[i + 1] == 0xA1)) {
      i += 2;
    } else {
      ++i;
    }
  }
  return false;
}

}  // namespace utility
