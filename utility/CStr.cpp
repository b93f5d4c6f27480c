#include "utility/CStr.h"

#include <limits>

namespace utility {

namespace {

const char kBlanks[] = " \t\r\n";
// What stream extraction skips between words and before numbers.
const char kWhiteSpace[] = " \t\n\v\f\r";

// The text being cut by trim_remark, kept as s[0, w) followed by s[r, end):
// kept bytes are compacted to the front as spans are dropped, so every
// removal costs the bytes it moves, not the length of the text.
class SpanCutter {
 public:
  explicit SpanCutter(std::string& text) : s_(text), w_(0), r_(0) {}
  SpanCutter(const SpanCutter&) = delete;
  SpanCutter& operator=(const SpanCutter&) = delete;

  // Position of the first `needle` at or after `from`, or npos. Positions
  // below w_ are checked one by one; callers keep that stretch short.
  std::size_t find(const std::string& needle, std::size_t from) const {
    for (; from < w_; ++from) {
      if (matches(from, needle)) return from;
    }
    std::size_t k = s_.find(needle, r_ + (from - w_));
    return k == std::string::npos ? k : w_ + (k - r_);
  }

  // Drops [begin, end) of the current text.
  void remove(std::size_t begin, std::size_t end) {
    if (begin > w_) {  // keep what lies before the span
      move(w_, r_, begin - w_);
      r_ += begin - w_;
      w_ = begin;
    }
    if (end <= w_) {
      move(begin, end, w_ - end);
      w_ -= end - begin;
    } else {
      r_ += end - w_;
      w_ = begin;
    }
  }

  // Closes the gap; the text then holds the result.
  void finish() { s_.erase(w_, r_ - w_); }

 private:
  void move(std::size_t to, std::size_t from, std::size_t count) {
    if (count > 0) std::char_traits<char>::move(&s_[to], &s_[from], count);
  }
  std::size_t size() const { return w_ + (s_.size() - r_); }
  char at(std::size_t v) const { return v < w_ ? s_[v] : s_[r_ + (v - w_)]; }
  bool matches(std::size_t v, const std::string& needle) const {
    if (v + needle.size() > size()) return false;
    for (std::size_t k = 0; k < needle.size(); ++k) {
      if (at(v + k) != needle[k]) return false;
    }
    return true;
  }

  std::string& s_;
  std::size_t w_;
  std::size_t r_;
};

// Reads the number the way stream extraction does. False when there is no
// digit or the magnitude overflows.
bool read_decimal(const std::string& text, bool* negative, unsigned long long* magnitude) {
  std::size_t i = text.find_first_not_of(kWhiteSpace);
  if (i == std::string::npos) return false;
  *negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  const unsigned long long kMax = std::numeric_limits<unsigned long long>::max();
  std::size_t first = i;
  unsigned long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (value > (kMax - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *magnitude = value;
  return i > first;
}

template <typename T>
T to_signed(const std::string& text) {
  bool negative = false;
  unsigned long long magnitude = 0;
  if (!read_decimal(text, &negative, &magnitude)) return 0;
  const unsigned long long kMax = static_cast<unsigned long long>(std::numeric_limits<T>::max());
  if (!negative) return magnitude <= kMax ? static_cast<T>(magnitude) : 0;
  if (magnitude <= kMax) return -static_cast<T>(magnitude);
  return magnitude == kMax + 1 ? std::numeric_limits<T>::min() : 0;
}

}  // namespace

void CStr::trim(std::string& text) {
  right_trim(text);
  left_trim(text);
}

void CStr::left_trim(std::string& text) { text.erase(0, text.find_first_not_of(kBlanks)); }

void CStr::right_trim(std::string& text) {
  std::size_t last = text.find_last_not_of(kBlanks);
  text.erase(last == std::string::npos ? 0 : last + 1);
}

void CStr::trim_byte(char c, std::string& text) {
  right_trim_byte(c, text);
  left_trim_byte(c, text);
}

void CStr::left_trim_byte(char c, std::string& text) { text.erase(0, text.find_first_not_of(c)); }

void CStr::right_trim_byte(char c, std::string& text) {
  std::size_t last = text.find_last_not_of(c);
  text.erase(last == std::string::npos ? 0 : last + 1);
}

void CStr::string_replace(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  std::size_t match = text.find(from);
  if (match == std::string::npos) return;
  std::string result;
  std::size_t start = 0;
  for (; match != std::string::npos; match = text.find(from, start)) {
    result.append(text, start, match - start);
    result += to;
    start = match + from.size();
  }
  result.append(text, start, std::string::npos);
  text.swap(result);
}

void CStr::trim_remark(const std::string& mark, std::string& text) {
  std::size_t at = text.find(mark);
  if (at != std::string::npos) text.erase(at);
}

void CStr::trim_remark(const std::string& open, const std::string& close, std::string& text) {
  if (close.empty()) return;  // a span would end where it starts: nothing changes
  SpanCutter cutter(text);
  std::size_t from = 0;
  for (;;) {
    std::size_t begin = cutter.find(open, from);
    if (begin == std::string::npos) break;
    std::size_t end = cutter.find(close, begin);
    if (end == std::string::npos) break;
    cutter.remove(begin, end + close.size());
    // Whatever lies before `begin` held no `open`; only one that straddles
    // the join can be new. An empty `open` always matches at the start.
    from = begin + 1 > open.size() && !open.empty() ? begin + 1 - open.size() : 0;
  }
  cutter.finish();
}

void CStr::ext_line(std::vector<std::string>& out, const std::string& text) {
  std::size_t start = text.find_first_not_of(kWhiteSpace);
  while (start != std::string::npos) {
    std::size_t end = text.find_first_of(kWhiteSpace, start);
    out.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? end : text.find_first_not_of(kWhiteSpace, end);
  }
}

void CStr::ext_line(const std::string& separator, std::vector<std::string>& out,
                    const std::string& text) {
  std::size_t start = 0;
  if (!separator.empty()) {
    for (std::size_t match = text.find(separator); match != std::string::npos;
         match = text.find(separator, start)) {
      out.push_back(text.substr(start, match - start));
      start = match + separator.size();
    }
  }
  if (start < text.size()) out.push_back(text.substr(start));
}

long CStr::atol(const std::string& text) { return to_signed<long>(text); }

long long CStr::atoll(const std::string& text) { return to_signed<long long>(text); }

unsigned long long CStr::atoull(const std::string& text) {
  bool negative = false;
  unsigned long long magnitude = 0;
  if (!read_decimal(text, &negative, &magnitude)) return 0;
  return negative ? 0 : magnitude;
}

std::string CStr::lltoa(long long value) { return std::to_string(value); }

std::string CStr::ulltoa(unsigned long long value) { return std::to_string(value); }

}  // namespace utility
