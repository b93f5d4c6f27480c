// Where the samplers read the kernel's figures and how the monitors wait
// between the two readings of one measurement.
//
// Production code never changes these. Tests point the paths at fixture
// files and replace the pause (to change the fixtures between two readings)
// before any sampler runs and while no other thread samples.
#ifndef SYSTEM_RAD_SAMPLINGENV_H_
#define SYSTEM_RAD_SAMPLINGENV_H_

#include <functional>
#include <string>

namespace utility {

struct SamplingEnv {
  std::string proc_stat = "/proc/stat";
  std::string proc_meminfo = "/proc/meminfo";
  std::string proc_net_dev = "/proc/net/dev";
  std::string etc_mtab = "/etc/mtab";
  // The one-second pause between the two readings of a CPU or network
  // measurement.
  std::function<void()> pause_one_second;
};

// The process-wide settings; defaults as above, the pause sleeps one second.
SamplingEnv& sampling_env();

}  // namespace utility

#endif  // SYSTEM_RAD_SAMPLINGENV_H_
