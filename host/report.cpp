#include "host/report.h"

#include <cstdio>

#include "frame/fwbase.h"

namespace host {

namespace {
const char kPrefix[] = "agent_host: ";
const char kLocation[] = "agent_host";
}  // namespace

void report(const std::string& text) {
  std::string line = kPrefix + text;
  if (fwbase::IRunLog::ms_type_sign & fwbase::IRunLog::kFailure) {
    fwbase::IFWBase::instance()->run_log()->write(fwbase::IRunLog::kFailure, line.c_str(),
                                                  kLocation);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

}  // namespace host
