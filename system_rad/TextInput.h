// Reading the kernel's text files and the numbers in them, shared by the
// samplers, the swap monitor and the monitoring settings.
#ifndef SYSTEM_RAD_TEXTINPUT_H_
#define SYSTEM_RAD_TEXTINPUT_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace utility {

// A file opened for reading, closed when the pointer goes; null when it
// cannot be opened.
using TextFile = std::unique_ptr<FILE, int (*)(FILE*)>;

inline TextFile open_text(const std::string& path) {
  return TextFile(std::fopen(path.c_str(), "r"), &std::fclose);
}

// Zeroes the `size` bytes of `line` and reads the next line into them (at
// most size - 1 characters, the rest of a longer line comes next). False at
// the end of the file or on a read error.
inline bool next_line(FILE* file, char* line, std::size_t size) {
  std::memset(line, 0, size);
  return std::fgets(line, static_cast<int>(size), file) != nullptr;
}

// `value` held to the 32-bit range.
inline int32_t clamp_int32(long long value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// The number at the start of `text` as strtol reads it in base 10 (blanks
// skipped, an optional sign, trailing text ignored, no digits give 0), held
// to the 32-bit range.
inline int32_t int32_of(const char* text) {
  return clamp_int32(std::strtoll(text, nullptr, 10));
}

}  // namespace utility

#endif  // SYSTEM_RAD_TEXTINPUT_H_
