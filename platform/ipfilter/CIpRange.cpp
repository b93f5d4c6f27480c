#include "platform/ipfilter/CIpRange.h"

#include <cstdio>

namespace ipfilter {

namespace {

const char kBlanks[] = " \t\r\n";

std::string trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// Strict dotted quad: four decimal octets of 1 to 3 digits, each <= 255.
bool parse_ip(const std::string& raw, uint32_t& ip) {
  const std::string text = trim(raw);
  uint32_t value = 0;
  std::size_t pos = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    unsigned part = 0;
    int digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      part = part * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0 || digits > 3 || part > 255) return false;
    value = (value << 8) | part;
  }
  if (pos != text.size()) return false;
  ip = value;
  return true;
}

}  // namespace

bool CIpRange::valid(uint32_t start, uint32_t end) {
  return start <= end && start != 0 && end != 0xFFFFFFFFu;
}

namespace {

char* put_octet(char* out, uint32_t octet) {
  if (octet >= 100) *out++ = static_cast<char>('0' + octet / 100);
  if (octet >= 10) *out++ = static_cast<char>('0' + octet / 10 % 10);
  *out++ = static_cast<char>('0' + octet % 10);
  return out;
}

char* put_ip(char* out, uint32_t ip) {
  out = put_octet(out, ip >> 24);
  *out++ = '.';
  out = put_octet(out, (ip >> 16) & 0xFF);
  *out++ = '.';
  out = put_octet(out, (ip >> 8) & 0xFF);
  *out++ = '.';
  return put_octet(out, ip & 0xFF);
}

}  // namespace

std::string CIpRange::format_ip(uint32_t ip) {
  char text[16];
  return std::string(text, put_ip(text, ip));
}

std::string CIpRange::format(uint32_t start, uint32_t end) {
  char text[kMaxRangeText];
  return std::string(text, format_to(text, start, end));
}

char* CIpRange::format_to(char* out, uint32_t start, uint32_t end) {
  out = put_ip(out, start);
  *out++ = '-';
  return put_ip(out, end);
}

bool CIpRange::parse(const std::string& text, uint32_t& start, uint32_t& end) {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) {
    if (!parse_ip(text, start)) return false;
    end = start;
    return true;
  }
  return parse_ip(text.substr(0, dash), start) && parse_ip(text.substr(dash + 1), end);
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
