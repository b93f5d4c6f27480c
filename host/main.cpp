// agent_host: loads the plug-ins and serves the console until SIGTERM.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frame/fwbase.h"
#include "host/CHost.h"
#include "host/COptions.h"

int main(int argc, char** argv) {
  host::COptions options;
  switch (options.parse(argc, argv)) {
    case host::COptions::kHelp:
      std::fputs(host::COptions::usage(), stdout);
      return 0;
    case host::COptions::kError:
      std::fprintf(stderr, "agent_host: %s\n%s", options.error().c_str(),
                   host::COptions::usage());
      return 2;
    case host::COptions::kRun:
      break;
  }
  if (options.has_log_mask()) fwbase::IRunLog::ms_type_sign = options.log_mask();
  if (::chdir(options.install_dir().c_str()) != 0) {
    std::fprintf(stderr, "agent_host: cannot enter the install directory %s: %s\n",
                 options.install_dir().c_str(), std::strerror(errno));
    return 2;
  }
  host::CHost::block_signals();
  return host::CHost(options).run();
}
