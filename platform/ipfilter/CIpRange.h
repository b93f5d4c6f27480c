// Address-range helpers shared by the rule set, the rule file and the kernel
// side: validation, the rule file's range text and the split of a range into
// CIDR blocks.
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

// A range added to or removed from a list, as the rule file's journal
// records it.
struct RangeChange {
  bool added;  // false: removed
  uint32_t start;
  uint32_t end;
};

class CIpRange {
 public:
  CIpRange() = delete;

  // A range the filter accepts: start <= end, start is not 0.0.0.0 and end is
  // not 255.255.255.255 (so no range can cover the whole address space).
  static bool valid(uint32_t start, uint32_t end);

  // Parses "a.b.c.d" or "a.b.c.d-e.f.g.h" (blanks around the parts allowed;
  // the addresses as utility::CIpText reads them).
  // A single address gives start == end. False on anything else; the range is
  // not checked with valid().
  static bool parse(const std::string& text, uint32_t& start, uint32_t& end);

  // Appends the smallest list of CIDR blocks whose union is [start, end]
  // (start <= end), in ascending order. At most 62 blocks.
  static void to_cidrs(uint32_t start, uint32_t end, std::vector<Cidr>& out);
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPRANGE_H_
