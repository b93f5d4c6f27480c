// Base64 with the standard alphabet ("A"-"Z", "a"-"z", "0"-"9", "+", "/"),
// "=" padding and no line breaks.
//
// Static functions without state, safe from any thread.
#ifndef UTILITY_BASE64_H_
#define UTILITY_BASE64_H_

#include <cstddef>
#include <string>

namespace utility {

// The 64 alphabet characters in value order (zero-terminated).
extern const char CHAR_TABLE[65];
// The value of each alphabet character, -1 for every other byte ("=" too).
extern const int INDEX_TABLE[256];

class Base64 {
 public:
  // Encodes `length` bytes into a new buffer of ceil(length / 3) x 4
  // characters, not zero-terminated, which the caller frees with delete[].
  // Empty input, or a buffer that cannot be allocated, gives out = nullptr
  // and out_length = 0.
  static void encode(char*& out, std::size_t& out_length, const unsigned char* data,
                     std::size_t length);
  // The encoded text; "" for empty input or when memory runs out.
  static std::string encode(const std::string& data);

  // Decodes after dropping every byte that is neither an alphabet character
  // nor "=" (so line breaks and blanks do not matter). The result is empty
  // when nothing remains, when what remains is not a multiple of 4 long, or
  // when "=" stands anywhere but as one or two final pad characters.
  // The buffer version allocates the output (caller frees with delete[]);
  // an empty result gives out = nullptr and out_length = 0.
  static void decode(unsigned char*& out, std::size_t& out_length, const char* data,
                     std::size_t length);
  // The decoded bytes, zero bytes included.
  static std::string decode(const std::string& text);

  // `text` without the bytes that are neither alphabet characters nor "=".
  static std::string removeNonBase64Chars(const std::string& text);
};

}  // namespace utility

#endif  // UTILITY_BASE64_H_
