#include "system_rad/CMemInfo.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "system_rad/SamplingEnv.h"
#include "system_rad/TextInput.h"

namespace utility {

namespace {

// Longer lines are cut: their head is read, the rest skipped.
const std::size_t kLineBuffer = 4096;
const int kKeys = 4;
const char kWhiteSpace[] = " \t\n\v\f\r";

// Reads one line into `line`, skipping what does not fit. False at the end.
bool read_line(FILE* file, char* line) {
  if (!next_line(file, line, kLineBuffer)) return false;
  const std::size_t length = std::strlen(line);
  if (length + 1 == kLineBuffer && line[length - 1] != '\n') {
    int c;
    do c = std::fgetc(file);
    while (c != EOF && c != '\n');
  }
  return true;
}

bool starts_with(const char* word, std::size_t word_length, const char* key) {
  const std::size_t key_length = std::strlen(key);
  return word_length >= key_length && std::memcmp(word, key, key_length) == 0;
}

// Applies one line to `stat`; true when it counted as a key.
bool apply_line(const char* line, CMemInfo::MemStat& stat) {
  const char* word = line + std::strspn(line, kWhiteSpace);
  const std::size_t length = std::strcspn(word, kWhiteSpace);
  if (length == 0) return false;
  const bool total = starts_with(word, length, "MemTotal");
  if (!total && !starts_with(word, length, "MemFree") && !starts_with(word, length, "Cached") &&
      !starts_with(word, length, "Buffers")) {
    return false;
  }
  // As stream extraction reads an int: no digits give 0, an out-of-range
  // value the nearest limit.
  const int32_t value = int32_of(word + length);
  if (total) {
    stat.total = value;
  } else {
    stat.free = clamp_int32(static_cast<int64_t>(stat.free) + value);
  }
  return value > 0;
}

}  // namespace

int CMemInfo::get_mem_stat(MemStat& stat) {
  try {
    TextFile file = open_text(sampling_env().proc_meminfo);
    if (!file) return 2;
    std::unique_ptr<char[]> line(new char[kLineBuffer]);
    int counted = 0;
    while (counted < kKeys && read_line(file.get(), line.get())) {
      if (apply_line(line.get(), stat)) ++counted;
    }
    return counted == kKeys ? 0 : 2;
  } catch (...) {
    return 1;
  }
}

int CMemInfo::get_mem_usage(double& percent) {
  MemStat stat;
  const int result = get_mem_stat(stat);
  if (result == 0) {
    percent = static_cast<double>(stat.total - stat.free) / static_cast<double>(stat.total) * 100.0;
  }
  return result;
}

}  // namespace utility
