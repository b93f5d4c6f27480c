// The two switches of the filter (filtering, persistent list) kept in a small
// text file beside the rule file, so they survive a restart:
//   filter on|off
//   persis on|off
// A missing file, or a switch missing or unreadable in it, counts as on, so
// that persistent bans are enforced after a first start. Stateless.
#ifndef PLATFORM_IPFILTER_CFILTERSTATE_H_
#define PLATFORM_IPFILTER_CFILTERSTATE_H_

#include <string>

namespace ipfilter {

struct Switches {
  bool filter_on = true;
  bool persis_on = true;
};

class CFilterState {
 public:
  CFilterState() = delete;

  static Switches parse(const std::string& text);
  static std::string format(const Switches& switches);
  // Reads at most 4 KiB of `path`.
  static Switches load(const std::string& path);
  // Atomic replacement; false on failure (the old file is kept).
  static bool save(const std::string& path, const Switches& switches);
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CFILTERSTATE_H_
