#include "system_rad/SamplingEnv.h"

#include <chrono>
#include <thread>

namespace utility {

SamplingEnv& sampling_env() {
  static SamplingEnv env{"/proc/stat", "/proc/meminfo", "/proc/net/dev", "/etc/mtab",
                         [] { std::this_thread::sleep_for(std::chrono::seconds(1)); }};
  return env;
}

}  // namespace utility
