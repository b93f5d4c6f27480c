// The rule file of the persistent entries: a comment header, then one range
// per line, "a.b.c.d-e.f.g.h" (a single address "a.b.c.d" is read too),
// written whole through a temporary file and a rename. Changes made since
// are appended as journal lines, "+ a.b.c.d-e.f.g.h ;" (added) or
// "- a.b.c.d-e.f.g.h ;" (removed), applied in order when the file is read.
// The closing ";" tells a complete journal line from one a crash cut short;
// a cut line is skipped like any malformed one, and everything before it
// stands.
//
// Empty lines and lines starting with '#' are skipped. Reading is bounded:
// lines of at most kMaxLineBytes, at most kMaxFileBytes read and kMaxEntries
// ranges kept, so a huge or hostile file cannot exhaust memory. Stateless;
// safe from any thread.
#ifndef PLATFORM_IPFILTER_CRULEFILE_H_
#define PLATFORM_IPFILTER_CRULEFILE_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "platform/ipfilter/CIpRange.h"
#include "platform/ipfilter/IpScope.h"

namespace ipfilter {

class CRuleFile {
 public:
  static const std::size_t kMaxLineBytes = 64;
  static const std::size_t kMaxFileBytes = 128u * 1024 * 1024;
  // Appends stop (and the owner rewrites the file whole) beyond this size,
  // so a file of kMaxEntries ranges plus its journal always reads back whole.
  static const std::size_t kMaxJournaledBytes = kMaxFileBytes / 2;
  // Also the most entries the rule set holds, so every file it writes can be
  // read back whole.
  static const std::size_t kMaxEntries = 2000000;
  // How many malformed line numbers a load keeps for its log lines.
  static const std::size_t kMaxReportedLines = 10;

  struct Contents {
    std::vector<rpc::IpScope> ranges;      // the ranges left, ascending, time_out 0
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

  // Appends `changes` as journal lines and syncs the file. False on any
  // failure; the file may then end in a cut line, so the caller must write
  // it whole before appending again.
  static bool append(const std::string& path, const std::vector<RangeChange>& changes);
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CRULEFILE_H_
