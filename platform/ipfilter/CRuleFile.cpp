#include "platform/ipfilter/CRuleFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/ipfilter/CIpRange.h"
#include "utility/CAtomicFile.h"
#include "utility/CIpText.h"

namespace ipfilter {

const std::size_t CRuleFile::kMaxLineBytes;
const std::size_t CRuleFile::kMaxFileBytes;
const std::size_t CRuleFile::kMaxEntries;
const std::size_t CRuleFile::kMaxReportedLines;

namespace {

const mode_t kRuleFileMode = 0640;
const char kHeader[] = "# persistent IP blacklist: one range first-last per line\n";

bool blank_or_comment(const char* line) {
  while (*line == ' ' || *line == '\t' || *line == '\r') ++line;
  return *line == '\0' || *line == '#';
}

void note_bad_line(CRuleFile::Contents& contents, unsigned long number) {
  if (contents.bad_lines.size() < CRuleFile::kMaxReportedLines)
    contents.bad_lines.push_back(number);
  ++contents.bad_count;
}

}  // namespace

CRuleFile::Contents CRuleFile::parse(std::istream& in) {
  Contents contents;
  char line[kMaxLineBytes + 1];
  unsigned long number = 0;
  std::size_t consumed = 0;
  while (true) {
    in.getline(line, sizeof line);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    bool too_long = false;
    if (in.fail() && !in.eof() && got == sizeof line - 1) {
      // Over-long line: skip the rest of it without keeping it.
      in.clear();
      while (in.get() != '\n' && in.good()) ++consumed;
      too_long = true;
    } else if (got == 0 && in.eof()) {
      break;
    }
    ++number;
    consumed += got;
    if (consumed > kMaxFileBytes) {
      contents.truncated = true;
      break;
    }
    // Bytes stored in `line`; a NUL among them makes the line malformed.
    const std::size_t stored = too_long ? kMaxLineBytes : (in.eof() ? got : got - 1);
    uint32_t start = 0, end = 0;
    if (too_long || std::strlen(line) != stored) {
      note_bad_line(contents, number);
    } else if (!blank_or_comment(line)) {
      if (!CIpRange::parse(line, start, end) || !CIpRange::valid(start, end)) {
        note_bad_line(contents, number);
      } else if (contents.ranges.size() >= kMaxEntries) {
        contents.truncated = true;
        break;
      } else {
        contents.ranges.push_back(rpc::IpScope{start, end, 0});
      }
    }
    if (!in.good()) break;
  }
  return contents;
}

CRuleFile::Contents CRuleFile::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    Contents contents;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
      contents.missing = true;
    else
      contents.unreadable = true;
    return contents;
  }
  Contents contents = parse(in);
  if (in.bad()) contents.unreadable = true;
  return contents;
}

bool CRuleFile::save(const std::string& path, const std::vector<rpc::IpScope>& ranges) {
  utility::CAtomicFile file(path);
  if (!file.begin(kRuleFileMode, utility::CAtomicFile::ModeRule::kExact) ||
      !file.write(kHeader, sizeof kHeader - 1))
    return false;
  // Lines are formatted straight into a chunk: a save of a large list is
  // bound by the disk, not by text formatting.
  char chunk[64 * 1024];
  char* end = chunk;
  for (const rpc::IpScope& range : ranges) {
    if (chunk + sizeof chunk - end <=
        static_cast<std::ptrdiff_t>(utility::CIpText::kMaxRangeText)) {
      if (!file.write(chunk, static_cast<std::size_t>(end - chunk))) return false;
      end = chunk;
    }
    end = utility::CIpText::format_range_to(end, range.start_ip, range.end_ip);
    *end++ = '\n';
  }
  return file.write(chunk, static_cast<std::size_t>(end - chunk)) && file.commit();
}

}  // namespace ipfilter
