#include "utility/CUnixHelper.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "utility/CAtomicFile.h"

namespace utility {

namespace {

const char kVersionFile[] = "/var/log/version_control";
const char kDefaultInstallDir[] = "/usr/local/zelmor_agent";
const std::size_t kVersionLineBuffer = 1023;  // fgets keeps at most 1022 bytes
const std::size_t kCopyChunk = 1024;

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Whether both paths name the same directory entry (or hard links of one
// file), where copying through a temporary would delete the source.
bool same_entry(const char* a, const char* b) {
  struct stat sa;
  struct stat sb;
  return ::lstat(a, &sa) == 0 && ::lstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool copy_content(int in, CAtomicFile& out) {
  char chunk[kCopyChunk];
  for (;;) {
    ssize_t got = ::read(in, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!out.write(chunk, static_cast<std::size_t>(got))) return false;
  }
}

bool starts_with_empty_quotes(const char* word) {
  return (word[0] == '"' && word[1] == '"') || (word[0] == '\'' && word[1] == '\'');
}

// A word that holds a line feed loses its quotes and line feeds.
void clean_word(char* word) {
  if (std::strchr(word, '\n') == nullptr) return;
  for (char* c = word; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\'' || *c == '\n') *c = ' ';
  }
  CUnixHelper::trim_space(word);
}

// Inside quotes, blanks become line feeds so that parse keeps a quoted part
// as one word. Any quote opens a quoted part and the next quote of either
// kind closes it; the quotes stay.
void protect_quoted_blanks(char* line) {
  bool quoted = false;
  for (char* c = line; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\'') {
      quoted = !quoted;
    } else if (quoted && *c == ' ') {
      *c = '\n';
    }
  }
}

}  // namespace

std::string CUnixHelper::get_zelmor_path() { return get_zelmor_path_from(kVersionFile); }

std::string CUnixHelper::get_zelmor_path_from(const std::string& version_file) {
  std::FILE* file = std::fopen(version_file.c_str(), "re");
  if (file == nullptr) return kDefaultInstallDir;
  char line[kVersionLineBuffer] = {0};
  if (std::fgets(line, sizeof line, file) == nullptr) line[0] = '\0';
  std::fclose(file);
  std::size_t length = std::strlen(line);
  if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
  return line;
}

bool CUnixHelper::cp_file(const char* src, const char* dst) {
  if (src == nullptr || dst == nullptr) return false;
  if (same_entry(src, dst)) return true;
  int in = ::open(src, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // A fresh file's mode, as a plain copy would create it.
  CAtomicFile out(dst);
  bool ok = out.begin(0666, CAtomicFile::ModeRule::kUmask) && copy_content(in, out);
  ::close(in);
  return ok && out.commit();
}

bool CUnixHelper::replace_file(const char* src, const char* dst) {
  if (src == nullptr || dst == nullptr) return false;
  if (same_entry(src, dst)) return true;
  if (!cp_file(src, dst)) return false;
  return ::unlink(src) == 0;
}

int CUnixHelper::tmrx_system(const char* cmdline) {
  if (cmdline == nullptr) return -1;
  std::size_t length = ::strnlen(cmdline, kMaxCommandLine + 1);
  if (length > kMaxCommandLine) return -1;
  char line[kMaxCommandLine + 1];
  std::memcpy(line, cmdline, length);
  line[length] = '\0';
  protect_quoted_blanks(line);

  char* words[kMaxWords];
  int count = 0;
  if (!parse(line, " ", words, count) || count > kMaxCommandWords) return -1;
  words[count] = nullptr;
  char program[kProgramPathBuffer];
  if (!get_command_obs_path(words[0], program)) return -1;

  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::execv(program, words);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

bool CUnixHelper::get_command_obs_path(const char* name, char* out) {
  if (name == nullptr || out == nullptr) return false;
  if (name[0] == '/') {
    std::size_t length = ::strnlen(name, kMaxProgramPath + 1);
    if (length > kMaxProgramPath) return false;
    std::memcpy(out, name, length + 1);
    return true;
  }
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::size_t path_length = ::strnlen(path, kMaxPathValue + 1);
  if (path_length > kMaxPathValue) return false;
  char dirs_text[kMaxPathValue + 1];
  std::memcpy(dirs_text, path, path_length + 1);
  char* dirs[kMaxWords];
  int count = 0;
  if (!parse(dirs_text, ":", dirs, count)) return false;

  out[0] = '\0';
  char candidate[kProgramPathBuffer];
  for (int i = 0; i < count; ++i) {
    int length = std::snprintf(candidate, sizeof candidate, "%s/%s", dirs[i], name);
    if (length < 0 || static_cast<std::size_t>(length) > kMaxProgramPath) continue;
    if (::access(candidate, X_OK) == 0) {
      std::memcpy(out, candidate, static_cast<std::size_t>(length) + 1);
      break;
    }
  }
  return true;
}

bool CUnixHelper::parse(char* text, const char* delims, char** words, int& count) {
  if (text == nullptr || delims == nullptr || words == nullptr) return false;
  words[0] = trim_space(text);
  int found = 1;
  bool lone_absent =
      delims[0] != '\0' && delims[1] == '\0' && std::strchr(text, delims[0]) == nullptr;
  char* rest = text;
  char* cut = nullptr;
  while (!lone_absent && (cut = std::strpbrk(rest, delims)) != nullptr) {
    if (found == kMaxWords) return false;
    *cut = '\0';
    rest = trim_space(cut + 1);
    // The empty word is the terminator just written, so the scan goes on.
    words[found++] = starts_with_empty_quotes(rest) ? cut : rest;
  }
  for (int i = 0; i < found; ++i) clean_word(words[i]);
  count = found;
  return true;
}

char* CUnixHelper::trim_space(char* text) {
  if (text == nullptr) return nullptr;
  char* start = text;
  while (is_space(*start)) ++start;
  std::size_t length = std::strlen(start);
  while (length > 0 && is_space(start[length - 1])) --length;
  std::memmove(text, start, length);
  text[length] = '\0';
  return text;
}

}  // namespace utility
