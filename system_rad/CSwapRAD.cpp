#include "system_rad/CSwapRAD.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "system_rad/SamplingEnv.h"
#include "system_rad/TextInput.h"

namespace {

const std::size_t kLineBuffer = 1025;
const int kLineMax = 1024;  // fgets reads at most 1023 characters
const std::size_t kMaxDigits = 31;
const char kTotalKey[] = "SwapTotal";
const char kFreeKey[] = "SwapFree";

}  // namespace

CSwapRAD* CSwapRAD::instance() {
  static CSwapRAD monitor;
  return &monitor;
}

int CSwapRAD::parse_value(const char* line) {
  if (line == nullptr) return 0;
  char digits[kMaxDigits + 1];
  std::memset(digits, 0, sizeof(digits));
  std::size_t count = 0;
  for (const char* p = line; *p != '\0' && count < kMaxDigits; ++p) {
    if (*p >= '0' && *p <= '9') digits[count++] = *p;
  }
  return utility::int32_of(digits);
}

bool CSwapRAD::get_swap_info(uint64_t& total, uint64_t& free) {
  utility::TextFile file = utility::open_text(utility::sampling_env().proc_meminfo);
  if (!file) return false;
  char line[kLineBuffer] = {};  // the last byte is never read into
  int seen = 0;
  while (seen < 2 && utility::next_line(file.get(), line, kLineMax)) {
    if (std::strncmp(line, kTotalKey, sizeof(kTotalKey) - 1) == 0) {
      total = static_cast<uint64_t>(static_cast<int64_t>(parse_value(line)));
      ++seen;
    } else if (std::strncmp(line, kFreeKey, sizeof(kFreeKey) - 1) == 0) {
      free = static_cast<uint64_t>(static_cast<int64_t>(parse_value(line)));
      ++seen;
    }
  }
  return true;
}

void CSwapRAD::add_sample() {
  uint64_t total = 0;
  uint64_t free = 0;
  get_swap_info(total, free);
  double usage = 0.0;
  if (total != 0 && free <= total) {
    usage = static_cast<double>(total - free) / static_cast<double>(total) * 100.0;
  }
  detector_.add_sample(usage);
  last_total_.store(total);
  last_free_.store(free);
}

bool CSwapRAD::is_anomaly() { return detector_.is_anomaly(); }

void CSwapRAD::set_phi_threshold(double threshold) { detector_.set_phi_threshold(threshold); }

double CSwapRAD::get_anomaly_value() { return detector_.get_anomaly_value(); }

void CSwapRAD::get_last_value(uint64_t& total, uint64_t& free) {
  total = last_total_.load();
  free = last_free_.load();
}
