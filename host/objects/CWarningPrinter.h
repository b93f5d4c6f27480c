// Writes warnings for the operator: one UTF-8 line each, to an output
// stream (the host's standard output) and to the system log.
#ifndef HOST_OBJECTS_CWARNINGPRINTER_H_
#define HOST_OBJECTS_CWARNINGPRINTER_H_

#include <cstdio>
#include <mutex>
#include <string>

namespace host {

// Thread-safe: one mutex keeps lines whole.
class CWarningPrinter {
 public:
  // `out` is not owned and must outlive the printer. With `use_syslog` the
  // process's system log is opened as "agent_host" (facility user) and
  // every line also goes there at level warning.
  CWarningPrinter(std::FILE* out, bool use_syslog);
  CWarningPrinter(const CWarningPrinter&) = delete;
  CWarningPrinter& operator=(const CWarningPrinter&) = delete;

  // Writes the line of format_line and flushes `out`.
  void show(const std::string& time_text, const std::string& display_type,
            const std::string& text);

  // "agent_host: warning [<display type>] <time> <text>" in UTF-8, without a
  // line end, from GBK parts; control characters become blanks so the
  // warning stays on one line.
  static std::string format_line(const std::string& time_text, const std::string& display_type,
                                 const std::string& text);

 private:
  std::FILE* const out_;
  const bool use_syslog_;
  std::mutex mutex_;  // guards writes to out_
};

}  // namespace host

#endif  // HOST_OBJECTS_CWARNINGPRINTER_H_
