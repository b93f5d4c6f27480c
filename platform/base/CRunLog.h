// The framework's run log: one line per write, to "runlog/agent_run.log"
// below the current working directory and to standard error.
#ifndef PLATFORM_BASE_CRUNLOG_H_
#define PLATFORM_BASE_CRUNLOG_H_

#include <functional>
#include <string>

#include "frame/export.h"
#include "frame/fwbase.h"

namespace fwbase {

// Thread-safe: one mutex serializes the lines. Whether a line is wanted
// (IRunLog::ms_type_sign) is for the caller to check; write() always writes.
//
// A line is "YYYY/MM/DD HH:MM:SS L<level> <text> | <location>\n" in local
// time; null texts are written as empty. The file is opened for each line,
// relative to the working directory of that moment; when it cannot be opened
// (for example "runlog/" is missing) the line goes to standard error only.
// Once the file has grown past kMaxFileSize it is deleted and started anew.
class AGENT_EXPORT CRunLog : public IRunLog {
 public:
  typedef std::function<void(unsigned level, const std::string& text,
                             const std::string& location)>
      Observer;

  static const long kMaxFileSize = 10L * 1024 * 1024;

  CRunLog() {}
  ~CRunLog() override {}
  CRunLog(const CRunLog&) = delete;
  CRunLog& operator=(const CRunLog&) = delete;

  void write(unsigned int level, const char* text, const char* location) override;

  // Called with every line written, outside the log's lock (so it may write
  // to the log itself). An empty function removes it. For tests.
  static void set_observer(Observer observer);
  // Whether lines also go to standard error (on by default).
  static void set_stderr(bool on);
};

}  // namespace fwbase

#endif  // PLATFORM_BASE_CRUNLOG_H_
