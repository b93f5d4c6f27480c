// The console's command line:
//   agentctl [--install-dir DIR] [--socket PATH] list
//   agentctl [--install-dir DIR] [--socket PATH] call IFACE METHOD [ARG ...]
//   agentctl [--install-dir DIR] logs [--limit N]
//   agentctl [--install-dir DIR] [--socket PATH] blacklist COMMAND [ARG ...]
//   agentctl --help
// Options come before the command; everything after it belongs to it.
// The socket defaults to "tmp/agent.sock" below the install directory.
//
// Stateless; safe from several threads.
#ifndef CONSOLE_CCOMMANDLINE_H_
#define CONSOLE_CCOMMANDLINE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace console {

class CCommandLine {
 public:
  static constexpr std::size_t kDefaultLimit = 100;

  struct Options {
    bool help = false;
    std::string install_dir;
    std::string socket;
    std::string command;            // "list", "call", "logs" or "blacklist"
    std::vector<std::string> args;  // for call: IFACE, METHOD, ARG...; for blacklist: its words
    std::size_t limit = kDefaultLimit;  // for logs: at most this many records
  };

  // Reads the arguments after the program name. False with `error` for an
  // unknown option or command, a missing or bad option value, or a command
  // with the wrong arguments. A --limit above what std::size_t holds counts
  // as its largest value.
  static bool parse(const std::vector<std::string>& argv, const std::string& default_install_dir,
                    Options& out, std::string& error);

  // The agent's socket below `install_dir`.
  static std::string socket_in(const std::string& install_dir);

  static std::string usage(const std::string& default_install_dir);
};

}  // namespace console

#endif  // CONSOLE_CCOMMANDLINE_H_
