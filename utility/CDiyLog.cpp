#include "utility/CDiyLog.h"

#include <ace/Guard_T.h>
#include <ace/Thread_Mutex.h>
#include <time.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace utility {

namespace {

const char kTimeFormat[] = "%4d/%02d/%02d %02d:%02d:%02d  ";
const char kSeparator[] = "  ";

std::string time_stamp() {
  time_t now = ::time(nullptr);
  struct tm local;
  std::memset(&local, 0, sizeof local);
  ::localtime_r(&now, &local);
  char text[64];
  std::snprintf(text, sizeof text, kTimeFormat, local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace

CDiyLog::CDiyLog() : mutex_(new ACE_Thread_Mutex()), inited_(false), to_stdout_(false) {}

CDiyLog::~CDiyLog() {
  delete mutex_;
  file_.close();
}

bool CDiyLog::init(std::string path, bool to_stdout, bool truncate) {
  if (inited_) return false;
  path_ = path;
  file_.open(path_, truncate ? std::ios::out | std::ios::trunc : std::ios::out | std::ios::app);
  if (file_.is_open()) {
    file_.clear();
  } else {
    file_.setstate(std::ios::failbit);
  }
  inited_ = true;
  to_stdout_ = to_stdout;
  return file_.is_open();
}

void CDiyLog::write_log(const char* format, ...) {
  ACE_Guard<ACE_Thread_Mutex> guard(*mutex_);
  std::string stamp = time_stamp() + kSeparator;
  file_ << stamp;
  if (to_stdout_) std::cout << stamp;

  char message[kMaxMessage + 1];
  std::memset(message, 0, sizeof message);
  va_list args;
  va_start(args, format);
  int formatted = format == nullptr ? 0 : std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  if (formatted < 0) {
    message[kMaxMessage - 2] = '\r';
    message[kMaxMessage - 1] = '\n';
  }
  message[kMaxMessage] = '\0';

  file_ << message << '\n';
  file_.flush();
  if (to_stdout_) std::cout << message << '\n' << std::flush;

  std::streamoff position = file_.tellp();
  if (position < 0 || position > kMaxFileSize) restart();
}

void CDiyLog::restart() {
  file_.close();
  std::remove(path_.c_str());
  file_.open(path_, std::ios::out | std::ios::app);
  if (file_.is_open()) {
    file_.clear();
  } else {
    file_.setstate(std::ios::failbit);
  }
}

}  // namespace utility
