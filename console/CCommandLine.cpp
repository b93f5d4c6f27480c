#include "console/CCommandLine.h"

#include <limits>

namespace console {

namespace {

const char kSocketName[] = "tmp/agent.sock";

enum Match { kOther, kTaken, kNoValue };

// Takes "NAME VALUE" or "NAME=VALUE" at argv[i], leaving `i` on the last
// argument used. kNoValue when the value is missing or empty.
Match take_value(const std::vector<std::string>& argv, std::size_t& i, const std::string& name,
                 std::string& value) {
  const std::string& arg = argv[i];
  if (arg == name) {
    if (i + 1 == argv.size() || argv[i + 1].empty()) return kNoValue;
    value = argv[++i];
    return kTaken;
  }
  if (arg.compare(0, name.size() + 1, name + "=") != 0) return kOther;
  value = arg.substr(name.size() + 1);
  return value.empty() ? kNoValue : kTaken;
}

// Digits only and not zero; saturates at the largest std::size_t.
bool parse_positive(const std::string& text, std::size_t& out) {
  const std::size_t kMax = std::numeric_limits<std::size_t>::max();
  std::size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    std::size_t digit = static_cast<std::size_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  out = value;
  return !text.empty() && value > 0;
}

bool parse_logs(const std::vector<std::string>& args, CCommandLine::Options& out,
                std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    Match match = take_value(args, i, "--limit", value);
    if (match == kOther) {
      error = "logs takes only --limit N, not \"" + args[i] + "\"";
      return false;
    }
    if (match == kNoValue || !parse_positive(value, out.limit)) {
      error = "option --limit needs a positive integer" +
              (match == kTaken ? ", not \"" + value + "\"" : std::string());
      return false;
    }
  }
  return true;
}

bool check_command(CCommandLine::Options& out, std::string& error) {
  if (out.command == "list") {
    if (out.args.empty()) return true;
    error = "list takes no arguments";
  } else if (out.command == "call") {
    if (out.args.size() >= 2) return true;
    error = "call needs an interface and a method";
  } else if (out.command == "logs") {
    return parse_logs(out.args, out, error);
  } else if (out.command == "blacklist") {
    return true;  // CBlacklistArgs reads the rest
  } else {
    error = "unknown command \"" + out.command + "\"";
  }
  return false;
}

}  // namespace

bool CCommandLine::parse(const std::vector<std::string>& argv,
                         const std::string& default_install_dir, Options& out,
                         std::string& error) {
  out = Options();
  out.install_dir = default_install_dir;
  bool socket_given = false;
  std::size_t i = 0;
  for (; i < argv.size() && argv[i].size() > 1 && argv[i][0] == '-'; ++i) {
    const std::string& arg = argv[i];
    Match match = kOther;
    if (arg == "--help" || arg == "-h") {
      out.help = true;
    } else if ((match = take_value(argv, i, "--socket", out.socket)) != kOther) {
      if (match == kNoValue) {
        error = "option --socket needs a path";
        return false;
      }
      socket_given = true;
    } else if ((match = take_value(argv, i, "--install-dir", out.install_dir)) != kOther) {
      if (match == kNoValue) {
        error = "option --install-dir needs a directory";
        return false;
      }
    } else {
      error = "unknown option \"" + arg + "\"";
      return false;
    }
  }
  if (!socket_given) out.socket = socket_in(out.install_dir);
  if (out.help) return true;
  if (i == argv.size()) {
    error = "no command given";
    return false;
  }
  out.command = argv[i];
  out.args.assign(argv.begin() + i + 1, argv.end());
  return check_command(out, error);
}

std::string CCommandLine::socket_in(const std::string& install_dir) {
  std::string dir = install_dir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + kSocketName;
}

std::string CCommandLine::usage(const std::string& default_install_dir) {
  return "usage: agentctl [--install-dir DIR] [--socket PATH] list\n"
         "       agentctl [--install-dir DIR] [--socket PATH] call IFACE METHOD [ARG ...]\n"
         "       agentctl [--install-dir DIR] logs [--limit N]\n"
         "       agentctl [--install-dir DIR] [--socket PATH] blacklist COMMAND [ARG ...]\n"
         "\n"
         "  list    show every loaded interface and its methods with their signatures\n"
         "  call    call METHOD of IFACE; each ARG is one JSON value typed by the\n"
         "          method's signature (numbers, true/false, \"strings\", {records},\n"
         "          [arrays]); prints one JSON line per reply, the final one last\n"
         "  logs    print the agent's stored log records, newest first, one JSON line\n"
         "          each; --limit N prints at most N (default " +
         std::to_string(kDefaultLimit) +
         "); reads the agent's\n"
         "          database directly, so the agent need not be running\n"
         "  blacklist  manage the IP blacklist: add, del, list, clear, filter on|off,\n"
         "          persis on|off, post (see agentctl blacklist --help)\n"
         "\n"
         "  --install-dir DIR  the agent's install directory (default " +
         default_install_dir +
         ")\n"
         "  --socket PATH      the agent's socket (default DIR/" + kSocketName +
         ")\n"
         "  --help             show this text\n"
         "\n"
         "exit status: 0 success, 1 the call failed or the records cannot be read,\n"
         "             2 usage error or agent unreachable\n";
}

}  // namespace console
