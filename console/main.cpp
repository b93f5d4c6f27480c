// agentctl: the agent's console.
#include <iostream>
#include <string>
#include <vector>

#include "console/CCommandLine.h"
#include "console/CConsole.h"
#include "platform/base/CRpcService.h"
#include "utility/CUnixHelper.h"

int main(int argc, char** argv) {
  std::string install_dir = utility::CUnixHelper::get_zelmor_path();
  console::CCommandLine::Options options;
  std::string error;
  if (!console::CCommandLine::parse(std::vector<std::string>(argv + 1, argv + argc), install_dir,
                                    options, error)) {
    std::cerr << "agentctl: " << error << "\n" << console::CCommandLine::usage(install_dir);
    return console::CConsole::kExitUsage;
  }
  if (options.help) {
    std::cout << console::CCommandLine::usage(install_dir);
    return console::CConsole::kExitOk;
  }
  rpc::CRpcService service;
  console::CConsole console(*service.factory(), std::cout, std::cerr);
  return console.run(options);
}
