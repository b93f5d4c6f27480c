// Address-range helpers shared by the rule set, the rule file and the kernel
// side: validation, dotted text and the split of a range into CIDR blocks.
// Stateless; safe from any thread.
#ifndef PLATFORM_IPFILTER_CIPRANGE_H_
#define PLATFORM_IPFILTER_CIPRANGE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ipfilter {

// One CIDR block: `prefix` leading bits of `ip` (host order), 1..32.
struct Cidr {
  uint32_t ip;
  uint8_t prefix;
};

class CIpRange {
 public:
  CIpRange() = delete;

  // A range the filter accepts: start <= end, start is not 0.0.0.0 and end is
  // not 255.255.255.255 (so no range can cover the whole address space).
  static bool valid(uint32_t start, uint32_t end);

  // "a.b.c.d"
  static std::string format_ip(uint32_t ip);
  // "a.b.c.d-e.f.g.h"
  static std::string format(uint32_t start, uint32_t end);
  // The same text written at `out`, which must have kMaxRangeText bytes;
  // returns the end of the text (no terminator). Used where many ranges are
  // written at once.
  static const std::size_t kMaxRangeText = 31;  // "255.255.255.255-255.255.255.255"
  static char* format_to(char* out, uint32_t start, uint32_t end);

  // Parses "a.b.c.d" or "a.b.c.d-e.f.g.h" (blanks around the parts allowed).
  // A single address gives start == end. False on anything else; the range is
  // not checked with valid().
  static bool parse(const std::string& text, uint32_t& start, uint32_t& end);

  // Appends the smallest list of CIDR blocks whose union is [start, end]
  // (start <= end), in ascending order. At most 62 blocks.
  static void to_cidrs(uint32_t start, uint32_t end, std::vector<Cidr>& out);
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPRANGE_H_
