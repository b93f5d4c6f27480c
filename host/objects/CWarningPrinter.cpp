#include "host/objects/CWarningPrinter.h"

#include <syslog.h>

#include "utility/CGbkConverter.h"

namespace host {
namespace {

const char kSyslogIdent[] = "agent_host";
const char kLinePrefix[] = "agent_host: warning [";

std::string without_controls(std::string text) {
  for (char& c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return text;
}

}  // namespace

CWarningPrinter::CWarningPrinter(std::FILE* out, bool use_syslog)
    : out_(out), use_syslog_(use_syslog) {
  if (use_syslog_) openlog(kSyslogIdent, LOG_PID, LOG_USER);
}

std::string CWarningPrinter::format_line(const std::string& time_text,
                                         const std::string& display_type,
                                         const std::string& text) {
  std::string gbk = kLinePrefix + display_type + "] " + time_text + " " + text;
  // Converted first: the control bytes are ASCII in both encodings, and
  // no UTF-8 sequence holds a byte below 0x80.
  return without_controls(utility::CGbkConverter::to_utf8(gbk));
}

void CWarningPrinter::show(const std::string& time_text, const std::string& display_type,
                           const std::string& text) {
  std::string line = format_line(time_text, display_type, text);
  if (use_syslog_) syslog(LOG_WARNING, "%s", line.c_str());
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace host
