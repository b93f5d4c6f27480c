// A text log file of its own: one line per write_log, stamped with the
// local time as "YYYY/MM/DD hh:mm:ss" and four blanks. The file is started
// afresh (old content dropped) once it grows past 10485759 bytes.
//
// Thread safety: write_log may be called from any number of threads; one
// call, including a restart of the file, runs under the logger's own mutex,
// so lines never interleave. init takes no lock: call it once, before the
// logger is shared.
//
// Failures are never reported by write_log: a file that cannot be written
// leaves the stream failed, and each later call retries by deleting and
// reopening the path, so logging resumes once the path becomes writable.
#ifndef UTILITY_CDIYLOG_H_
#define UTILITY_CDIYLOG_H_

#include <cstddef>
#include <fstream>
#include <string>

class ACE_Thread_Mutex;

namespace utility {

class CDiyLog {
 public:
  static constexpr std::size_t kMaxMessage = 1023;
  static constexpr std::streamoff kMaxFileSize = 10485759;  // restart above this

  CDiyLog();
  ~CDiyLog();
  CDiyLog(const CDiyLog&) = delete;
  CDiyLog& operator=(const CDiyLog&) = delete;

  // Opens `path` for appending, or emptied when `truncate`; with
  // `to_stdout` every line is also written to standard output. Only the
  // first call has any effect, even when the file did not open. Returns
  // whether the file is open; false on any later call.
  bool init(std::string path, bool to_stdout, bool truncate);

  // Formats like printf and writes one line; a message above kMaxMessage
  // bytes is cut there. A null format writes an empty message.
  void write_log(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  // Closes, deletes and reopens the file at `path_`; mutex_ held.
  void restart();

  std::ofstream file_;
  ACE_Thread_Mutex* mutex_;  // owned; guards file_ during write_log
  std::string path_;
  bool inited_;
  bool to_stdout_;
};

}  // namespace utility

#endif  // UTILITY_CDIYLOG_H_
