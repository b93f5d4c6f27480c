#include "utility/CIpText.h"

namespace utility {

namespace {

const int kOctets = 4;
const std::uint32_t kMaxOctet = 255;

// Reads one octet at `text[pos]`, leaving `pos` after its digits.
bool read_octet(const std::string& text, std::string::size_type& pos, std::uint32_t& out) {
  std::string::size_type start = pos;
  std::uint32_t value = 0;
  while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
    ++pos;
  }
  std::string::size_type digits = pos - start;
  if (digits == 0 || value > kMaxOctet) return false;
  if (digits > 1 && text[start] == '0') return false;
  out = value;
  return true;
}

char* put_octet(char* out, std::uint32_t octet) {
  if (octet >= 100) *out++ = static_cast<char>('0' + octet / 100);
  if (octet >= 10) *out++ = static_cast<char>('0' + octet / 10 % 10);
  *out++ = static_cast<char>('0' + octet % 10);
  return out;
}

char* put_address(char* out, std::uint32_t address) {
  for (int shift = 24; shift > 0; shift -= 8) {
    out = put_octet(out, (address >> shift) & kMaxOctet);
    *out++ = '.';
  }
  return put_octet(out, address & kMaxOctet);
}

}  // namespace

bool CIpText::parse_address(const std::string& text, std::uint32_t& out) {
  std::string::size_type pos = 0;
  std::uint32_t address = 0;
  for (int i = 0; i < kOctets; ++i) {
    if (i > 0 && (pos >= text.size() || text[pos++] != '.')) return false;
    std::uint32_t octet = 0;
    if (!read_octet(text, pos, octet)) return false;
    address = (address << 8) | octet;
  }
  if (pos != text.size()) return false;
  out = address;
  return true;
}

bool CIpText::parse_range(const std::string& text, std::uint32_t& start, std::uint32_t& end,
                          std::string& error) {
  std::string::size_type dash = text.find('-');
  std::string first = text.substr(0, dash);
  std::string last = dash == std::string::npos ? first : text.substr(dash + 1);
  for (const std::string* part : {&first, &last}) {
    std::uint32_t& value = part == &first ? start : end;
    if (!parse_address(*part, value)) {
      error = "\"" + *part + "\" is not an IPv4 address (four octets 0-255, e.g. 10.0.0.1)";
      return false;
    }
  }
  if (end < start) {
    error = "range \"" + text + "\" ends below its start";
    return false;
  }
  return true;
}

std::string CIpText::format_address(std::uint32_t address) {
  char text[16];
  return std::string(text, put_address(text, address));
}

std::string CIpText::format_range(std::uint32_t start, std::uint32_t end) {
  char text[kMaxRangeText];
  return std::string(text, format_range_to(text, start, end));
}

char* CIpText::format_range_to(char* out, std::uint32_t start, std::uint32_t end) {
  out = put_address(out, start);
  *out++ = '-';
  return put_address(out, end);
}

}  // namespace utility
