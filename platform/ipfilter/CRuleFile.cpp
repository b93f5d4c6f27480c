#include "platform/ipfilter/CRuleFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

#include "platform/ipfilter/CIpRange.h"
#include "utility/CAtomicFile.h"
#include "utility/CIpText.h"
#include "utility/write_all.h"

namespace ipfilter {

const std::size_t CRuleFile::kMaxLineBytes;
const std::size_t CRuleFile::kMaxFileBytes;
const std::size_t CRuleFile::kMaxEntries;
const std::size_t CRuleFile::kMaxReportedLines;

namespace {

const mode_t kRuleFileMode = 0640;
const char kHeader[] = "# persistent IP blacklist: one range first-last per line\n";

// "+ " or "- " opens a journal line, " ;" closes it.
const char kAddedMark = '+';
const char kRemovedMark = '-';
const char kJournalEnd[] = " ;";

// A journal line's range text, or null when `line` is not a journal line;
// `complete` says whether it carries its closing mark.
const char* journal_range(char* line, bool& added, bool& complete) {
  if ((line[0] != kAddedMark && line[0] != kRemovedMark) || line[1] != ' ') return nullptr;
  added = line[0] == kAddedMark;
  std::size_t length = std::strlen(line);
  while (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
  const std::size_t end_mark = sizeof kJournalEnd - 1;
  complete = length >= 2 + end_mark && std::strcmp(line + length - end_mark, kJournalEnd) == 0;
  if (complete) line[length - end_mark] = '\0';
  return line + 2;
}

bool blank_or_comment(const char* line) {
  while (*line == ' ' || *line == '\t' || *line == '\r') ++line;
  return *line == '\0' || *line == '#';
}

void note_bad_line(CRuleFile::Contents& contents, unsigned long number) {
  if (contents.bad_lines.size() < CRuleFile::kMaxReportedLines)
    contents.bad_lines.push_back(number);
  ++contents.bad_count;
}

uint64_t key_of(uint32_t start, uint32_t end) { return (uint64_t(start) << 32) | end; }

enum class Applied { kOk, kMalformed, kFull };

// Applies one range line or complete journal line to `kept`, which takes at
// most `limit` ranges.
Applied apply_line(char* line, std::set<uint64_t>& kept, std::size_t limit) {
  bool added = true, complete = true;
  const char* text = journal_range(line, added, complete);
  if (text == nullptr) text = line;
  uint32_t start = 0, end = 0;
  if (!complete || !CIpRange::parse(text, start, end) || !CIpRange::valid(start, end))
    return Applied::kMalformed;
  const uint64_t key = key_of(start, end);
  if (!added) {
    kept.erase(key);
  } else if (kept.count(key) == 0) {
    if (kept.size() >= limit) return Applied::kFull;
    kept.insert(key);
  }
  return Applied::kOk;
}

}  // namespace

CRuleFile::Contents CRuleFile::parse(std::istream& in) {
  Contents contents;
  std::set<uint64_t> kept;  // (start << 32) | end
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
    if (too_long || std::strlen(line) != stored) {
      note_bad_line(contents, number);
    } else if (!blank_or_comment(line)) {
      const Applied applied = apply_line(line, kept, kMaxEntries);
      if (applied == Applied::kMalformed) note_bad_line(contents, number);
      if (applied == Applied::kFull) {
        contents.truncated = true;
        break;
      }
    }
    if (!in.good()) break;
  }
  contents.ranges.reserve(kept.size());
  for (uint64_t key : kept)
    contents.ranges.push_back(
        rpc::IpScope{static_cast<uint32_t>(key >> 32), static_cast<uint32_t>(key), 0});
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

bool CRuleFile::append(const std::string& path, const std::vector<RangeChange>& changes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char range[utility::CIpText::kMaxRangeText];
  for (const RangeChange& change : changes) {
    text += change.added ? kAddedMark : kRemovedMark;
    text += ' ';
    text.append(range, utility::CIpText::format_range_to(range, change.start, change.end));
    text += kJournalEnd;
    text += '\n';
  }
  bool ok = utility::write_all(fd, text.data(), text.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace ipfilter
