#include "platform/ipfilter/CIpRange.h"

#include "utility/CIpText.h"

namespace ipfilter {

namespace {

const char kBlanks[] = " \t\r\n";

std::string trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

bool CIpRange::valid(uint32_t start, uint32_t end) {
  return start <= end && start != 0 && end != 0xFFFFFFFFu;
}

bool CIpRange::parse(const std::string& text, uint32_t& start, uint32_t& end) {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) {
    if (!utility::CIpText::parse_address(trim(text), start)) return false;
    end = start;
    return true;
  }
  return utility::CIpText::parse_address(trim(text.substr(0, dash)), start) &&
         utility::CIpText::parse_address(trim(text.substr(dash + 1)), end);
}

void CIpRange::to_cidrs(uint32_t start, uint32_t end, std::vector<Cidr>& out) {
  // Unsigned 64-bit arithmetic throughout: the block sizes never wrap, even
  // for ranges wider than half the address space.
  uint64_t ip = start;
  const uint64_t last = end;
  while (ip <= last) {
    int bits = 0;  // host bits of the block starting at ip
    while (bits < 32) {
      const uint64_t size = uint64_t(1) << (bits + 1);
      if ((ip & (size - 1)) != 0 || ip + size - 1 > last) break;
      ++bits;
    }
    out.push_back(Cidr{static_cast<uint32_t>(ip), static_cast<uint8_t>(32 - bits)});
    ip += uint64_t(1) << bits;
  }
}

}  // namespace ipfilter
