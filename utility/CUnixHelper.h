// Process and file helpers: the install directory, file copies and a
// command runner that needs no shell. Every function is static, keeps no
// state and is safe to call from any thread (the runner reads PATH).
#ifndef UTILITY_CUNIXHELPER_H_
#define UTILITY_CUNIXHELPER_H_

#include <cstddef>
#include <string>

namespace utility {

class CUnixHelper {
 public:
  // Capacities of the caller's arrays and the runner's fixed limits.
  static constexpr int kMaxWords = 32;         // pointers in parse's `words`
  static constexpr int kMaxCommandWords = 31;  // words of one command line
  static constexpr std::size_t kMaxCommandLine = 255;
  static constexpr std::size_t kMaxPathValue = 255;    // bytes of PATH
  static constexpr std::size_t kMaxProgramPath = 254;  // bytes of a resolved path
  static constexpr std::size_t kProgramPathBuffer = 255;

  CUnixHelper() = delete;

  // The install directory named by the first line of "/var/log/version_control",
  // or "/usr/local/zelmor_agent" when that file cannot be opened.
  static std::string get_zelmor_path();
  // The same, read from `version_file`: its first line (at most 1022 bytes)
  // without one trailing line feed and nothing else trimmed; an empty file
  // gives "".
  static std::string get_zelmor_path_from(const std::string& version_file);

  // Copies `src` to `dst` through a temporary file beside `dst` that is then
  // renamed over it, so `dst` is either fully replaced or left as it was. The
  // new file gets the mode a newly created file would get (0666 & ~umask).
  // A destination that is the source itself (the same directory entry or a
  // hard link of it) is left alone and counts as copied; a symbolic link
  // at `dst` is replaced like any other file. False on any failure (null
  // argument, source missing, read/write/rename error).
  static bool cp_file(const char* src, const char* dst);
  // cp_file, then deletes `src` once `dst` has been replaced. False when the
  // copy failed (`src` and `dst` unchanged) or `src` could not be deleted.
  static bool replace_file(const char* src, const char* dst);

  // Runs `cmdline` without a shell: the words are split on blanks, a part in
  // quotes stays one word, word 0 is found on PATH, and the caller waits for
  // the child. Returns the child's raw wait status (a program that cannot be
  // run exits with 127), or -1 for a null or over-long line (more than 255
  // bytes or 31 words), a PATH that cannot be used, or a fork/wait failure.
  static int tmrx_system(const char* cmdline);

  // Resolves a program name into `out` (at least kProgramPathBuffer bytes).
  // A name starting with "/" is copied as it is (false above 254 bytes).
  // Otherwise the first "<dir>/<name>" of PATH that the caller may execute;
  // `out` is left empty and the result is still true when none is. False for
  // null arguments, an unset PATH, a PATH above 255 bytes or of more than 32
  // entries. Candidates longer than 254 bytes are skipped.
  static bool get_command_obs_path(const char* name, char* out);

  // Splits `text` in place at every byte of `delims`. The text is trimmed at
  // both ends, then each later word at its start; a word starting with two
  // double or two single quotes becomes ""; a word holding a line feed has
  // its quotes and line feeds turned into blanks and is trimmed. `words`
  // (kMaxWords pointers) receives pointers into `text`, `count` their number.
  // False for a null text or delimiter set, or more than kMaxWords words.
  static bool parse(char* text, const char* delims, char** words, int& count);

  // Removes isspace bytes from both ends of `text` in place, moving the kept
  // bytes to the start. Returns `text` (null for null).
  static char* trim_space(char* text);
};

}  // namespace utility

#endif  // UTILITY_CUNIXHELPER_H_
