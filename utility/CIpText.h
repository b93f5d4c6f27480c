// IPv4 addresses and ranges as dotted text, as the console and the rule file
// read and show them.
//
// An address is four dotted decimal octets, each 0 to 255 written without a
// sign, blank or superfluous leading zero ("10.0.0.1", not "10.0.0.01" nor
// " 10.0.0.1"). As a number it is (a << 24) | (b << 16) | (c << 8) | d.
// A range is "A" (meaning A-A) or "A-B" with B not below A.
//
// Stateless; safe from several threads.
#ifndef UTILITY_CIPTEXT_H_
#define UTILITY_CIPTEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace utility {

class CIpText {
 public:
  // False when `text` is not exactly one address.
  static bool parse_address(const std::string& text, std::uint32_t& out);
  // False with `error` saying what is wrong; `start` and `end` are then
  // unspecified.
  static bool parse_range(const std::string& text, std::uint32_t& start, std::uint32_t& end,
                          std::string& error);

  static std::string format_address(std::uint32_t address);
  // "A-B", also when A equals B.
  static std::string format_range(std::uint32_t start, std::uint32_t end);
  // The same text written at `out`, which must have kMaxRangeText bytes;
  // returns the end of the text (no terminator). For writing many ranges.
  static const std::size_t kMaxRangeText = 31;  // "255.255.255.255-255.255.255.255"
  static char* format_range_to(char* out, std::uint32_t start, std::uint32_t end);
};

}  // namespace utility

#endif  // UTILITY_CIPTEXT_H_
