// Form encoding of request values.
//
// Pure functions, safe from any thread.
#ifndef UTILITY_URL_ENCODE_H_
#define UTILITY_URL_ENCODE_H_

#include <string>

namespace utility {

// Upper-case hex digit of the low four bits of `v`: '0'..'9', 'A'..'F'.
char ToHex(unsigned char v);

// Copies ASCII letters, digits and "-._~", turns a space into '+', and
// writes every other byte (all bytes above 127 included) as '%' and two
// upper-case hex digits.
std::string url_encode(const std::string& text);

}  // namespace utility

#endif  // UTILITY_URL_ENCODE_H_
