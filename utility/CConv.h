// GBK <-> UTF-8 conversion over the C library's iconv, form encoding of
// converted texts, and a test for Chinese text.
//
// Texts inside the agent are GBK; the cloud center speaks UTF-8. The static
// functions keep no state: each opens its own converter, so they are safe
// from any thread. Failures carry no message: they show as 0, or as an
// empty or shortened string.
#ifndef UTILITY_CCONV_H_
#define UTILITY_CCONV_H_

#include <cstddef>
#include <string>

namespace utility {

class CConv {
 public:
  static constexpr char kGbk[] = "GBK";
  static constexpr char kUtf8[] = "UTF-8";

  // One open iconv conversion: the single place where the library converts
  // character sets. Not thread-safe; give each thread its own.
  class Iconv {
   public:
    // Opens a conversion from `from` to `to`; check ok().
    Iconv(const char* to, const char* from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const;

    // Converts *left bytes at *in into *room bytes at *out, advancing all
    // four past what was converted and written. Returns 0 when the input is
    // used up, else the errno that stopped it: EILSEQ (invalid sequence),
    // EINVAL (sequence cut at the end of the input), E2BIG (output full).
    // *in then points at the bytes that were not converted.
    int convert(const char** in, std::size_t* left, char** out, std::size_t* room);

    // The same, appending to `out`, which grows as needed: stops only at
    // EILSEQ or EINVAL (returned) or at the end of the input (0).
    int append(const char** in, std::size_t* left, std::string& out);

   private:
    void* cd_;
  };

  // Convert the zero-terminated `in` into the caller's buffer of `size`
  // bytes. With a null `in`: 0. With a null `out`: the buffer size to use,
  // 3 x strlen(in) + 1 (0 if that does not fit an int). Otherwise the number
  // of bytes written, or 0 when no converter opens or the conversion stops
  // (invalid sequence, buffer full); the bytes converted before a stop stay
  // in the buffer.
  // gbk_to_utf8 leaves the buffer as it is and, after a complete conversion
  // with room to spare, writes a zero after the converted bytes.
  // utf8_to_gbk zeroes the whole buffer first.
  static int gbk_to_utf8(const char* in, char* out, int size);
  static int utf8_to_gbk(const char* in, char* out, int size);

  // Whole-text conversions. A null or empty input gives "" without opening a
  // converter. A conversion that stops at an invalid sequence gives the text
  // converted before it.
  static std::string gbk_to_utf8_string(const char* in);
  static std::string utf8_to_gbk_string(const char* in);

  // url_encode of the text ("" for null), and of its UTF-8 form.
  static std::string url_string(const char* in);
  static std::string gbk_to_utf8_url_string(const char* in);

  // True when a byte above 0xA3 starts a pair. Lead byte 0xA3 (full-width
  // punctuation) skips its pair, as does the full-width space 0xA1 0xA1;
  // the last byte is never examined on its own.
  static bool has_chinese_char(const std::string& text);
};

}  // namespace utility

#endif  // UTILITY_CCONV_H_
