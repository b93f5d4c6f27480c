// The console's command line:
//   agentctl [--socket PATH] list
//   agentctl [--socket PATH] call IFACE METHOD [ARG ...]
//   agentctl --help
// Options come before the command; everything after it belongs to it.
//
// Stateless; safe from several threads.
#ifndef CONSOLE_CCOMMANDLINE_H_
#define CONSOLE_CCOMMANDLINE_H_

#include <string>
#include <vector>

namespace console {

class CCommandLine {
 public:
  struct Options {
    bool help = false;
    std::string socket;
    std::string command;            // "list" or "call"
    std::vector<std::string> args;  // for call: IFACE, METHOD, ARG...
  };

  // Reads the arguments after the program name. False with `error` for an
  // unknown option or command, a missing option value, or a command with
  // the wrong number of arguments.
  static bool parse(const std::vector<std::string>& argv, const std::string& default_socket,
                    Options& out, std::string& error);

  static std::string usage(const std::string& default_socket);
};

}  // namespace console

#endif  // CONSOLE_CCOMMANDLINE_H_
