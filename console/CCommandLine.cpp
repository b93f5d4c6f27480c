#include "console/CCommandLine.h"

namespace console {

namespace {

const char kSocketOption[] = "--socket";

}  // namespace

bool CCommandLine::parse(const std::vector<std::string>& argv, const std::string& default_socket,
                         Options& out, std::string& error) {
  out = Options();
  out.socket = default_socket;
  std::size_t i = 0;
  for (; i < argv.size() && argv[i].size() > 1 && argv[i][0] == '-'; ++i) {
    const std::string& arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out.help = true;
    } else if (arg == kSocketOption) {
      if (++i == argv.size() || argv[i].empty()) {
        error = "option --socket needs a path";
        return false;
      }
      out.socket = argv[i];
    } else if (arg.compare(0, sizeof kSocketOption, std::string(kSocketOption) + "=") == 0) {
      out.socket = arg.substr(sizeof kSocketOption);
      if (out.socket.empty()) {
        error = "option --socket needs a path";
        return false;
      }
    } else {
      error = "unknown option \"" + arg + "\"";
      return false;
    }
  }
  if (out.help) return true;
  if (i == argv.size()) {
    error = "no command given";
    return false;
  }
  out.command = argv[i];
  out.args.assign(argv.begin() + i + 1, argv.end());
  if (out.command == "list") {
    if (out.args.empty()) return true;
    error = "list takes no arguments";
  } else if (out.command == "call") {
    if (out.args.size() >= 2) return true;
    error = "call needs an interface and a method";
  } else {
    error = "unknown command \"" + out.command + "\"";
  }
  return false;
}

std::string CCommandLine::usage(const std::string& default_socket) {
  return "usage: agentctl [--socket PATH] list\n"
         "       agentctl [--socket PATH] call IFACE METHOD [ARG ...]\n"
         "\n"
         "  list    show every loaded interface and its methods with their signatures\n"
         "  call    call METHOD of IFACE; each ARG is one JSON value typed by the\n"
         "          method's signature (numbers, true/false, \"strings\", {records},\n"
         "          [arrays]); prints one JSON line per reply, the final one last\n"
         "\n"
         "  --socket PATH  the agent's socket (default " + default_socket + ")\n"
         "  --help         show this text\n"
         "\n"
         "exit status: 0 success, 1 the call failed, 2 usage error or agent unreachable\n";
}

}  // namespace console
