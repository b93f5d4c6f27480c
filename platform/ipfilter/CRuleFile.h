// The rule file of the persistent entries: a comment header, then one range
// per line, "a.b.c.d-e.f.g.h" (a single address "a.b.c.d" is read too).
// Empty lines and lines starting with '#' are skipped. Reading is bounded:
// lines of at most kMaxLineBytes, at most kMaxFileBytes read and kMaxEntries
// ranges kept, so a huge or hostile file cannot exhaust memory. Stateless;
// safe from any thread.
#ifndef PLATFORM_IPFILTER_CRULEFILE_H_
#define PLATFORM_IPFILTER_CRULEFILE_H_

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "platform/ipfilter/IpScope.h"

namespace ipfilter {

class CRuleFile {
 public:
  static const std::size_t kMaxLineBytes = 64;
  static const std::size_t kMaxFileBytes = 64u * 1024 * 1024;
  // Also the most entries the rule set holds, so every file it writes can be
  // read back whole.
  static const std::size_t kMaxEntries = 2000000;
  // How many malformed line numbers a load keeps for its log lines.
  static const std::size_t kMaxReportedLines = 10;

  struct Contents {
    std::vector<rpc::IpScope> ranges;      // valid ranges in file order, time_out 0
    std::vector<unsigned long> bad_lines;  // first kMaxReportedLines malformed lines
    unsigned long bad_count = 0;           // all malformed lines
    bool truncated = false;                // stopped at a size or entry bound
    bool missing = false;                  // no file (an empty list)
    bool unreadable = false;               // the file exists but could not be read
  };

  CRuleFile() = delete;

  static Contents parse(std::istream& in);
  static Contents load(const std::string& path);
  // Writes the ranges atomically (see CAtomicFile). False on any failure;
  // the old file is then unchanged.
  static bool save(const std::string& path, const std::vector<rpc::IpScope>& ranges);
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CRULEFILE_H_
