// agentctl: the agent's console.
#include <iostream>
#include <string>
#include <vector>

#include "console/CCommandLine.h"
#include "console/CConsole.h"
#include "platform/base/CRpcService.h"
#include "utility/CUnixHelper.h"

namespace {

const char kSocketName[] = "tmp/agent.sock";

std::string default_socket() {
  std::string dir = utility::CUnixHelper::get_zelmor_path();
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + kSocketName;
}

}  // namespace

int main(int argc, char** argv) {
  std::string socket = default_socket();
  console::CCommandLine::Options options;
  std::string error;
  if (!console::CCommandLine::parse(std::vector<std::string>(argv + 1, argv + argc), socket,
                                    options, error)) {
    std::cerr << "agentctl: " << error << "\n" << console::CCommandLine::usage(socket);
    return console::CConsole::kExitUsage;
  }
  if (options.help) {
    std::cout << console::CCommandLine::usage(socket);
    return console::CConsole::kExitOk;
  }
  rpc::CRpcService service;
  console::CConsole console(*service.factory(), std::cout, std::cerr);
  return console.run(options);
}
