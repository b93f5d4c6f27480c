#include "utility/CGbkConverter.h"

#include <cstddef>

#include "utility/CConv.h"

namespace utility {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

}  // namespace

bool CGbkConverter::to_gbk(const std::string& utf8, std::string& gbk) {
  gbk.clear();
  CConv::Iconv converter(CConv::kGbk, CConv::kUtf8);
  if (!converter.ok()) return false;
  const char* in = utf8.data();
  std::size_t left = utf8.size();
  if (converter.append(&in, &left, gbk) != 0) {
    gbk.clear();
    return false;
  }
  return true;
}

std::string CGbkConverter::to_utf8(const std::string& gbk) {
  std::string utf8;
  CConv::Iconv converter(CConv::kUtf8, CConv::kGbk);
  const char* in = gbk.data();
  std::size_t left = gbk.size();
  while (left > 0) {
    if (converter.ok() && converter.append(&in, &left, utf8) == 0) break;
    bool ascii = static_cast<unsigned char>(*in) < 0x80;
    if (!converter.ok() && ascii) {
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
