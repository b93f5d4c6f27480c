#include "host/COptions.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "utility/CUnixHelper.h"

namespace host {

namespace {

const unsigned kDefaultThreads = 4;
const unsigned kMaxThreads = 256;
const char kDefaultSocket[] = "/tmp/agent.sock";
const char kSelfExe[] = "/proc/self/exe";
const char kPluginPrefix[] = "lib";
const char kPluginSuffix[] = "_linux.so";

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Strict unsigned number: decimal, or hexadecimal with 0x. No sign, no
// blanks, nothing after the digits, no overflow.
bool to_unsigned(const std::string& text, unsigned& out) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value > UINT_MAX) return false;
  out = static_cast<unsigned>(value);
  return true;
}

std::string parent_of(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

COptions::COptions() : threads_(kDefaultThreads), has_log_mask_(false), log_mask_(0) {}

const char* COptions::usage() {
  return "usage: agent_host [--install-dir DIR] [--socket PATH] [--plugin-dir DIR]\n"
         "                  [--plugins NAME[,NAME...]] [--threads N] [--log-mask N] [--help]\n"
         "  --install-dir DIR  working directory of the agent (default: from\n"
         "                     /var/log/version_control, else /usr/local/zelmor_agent)\n"
         "  --socket PATH      console socket (default: DIR/tmp/agent.sock)\n"
         "  --plugin-dir DIR   where the plug-ins are (default: lib/ beside bin/)\n"
         "  --plugins LIST     plug-ins to load, e.g. ip_blacklist,libcloud_center_linux.so\n"
         "                     (default: every lib*_linux.so of the plug-in directory)\n"
         "  --threads N        serving threads, 1 to 256 (default 4)\n"
         "  --log-mask N       run log levels to write (1 call traces, 8 failures)\n";
}

COptions::Outcome COptions::parse(int argc, const char* const* argv) {
  bool install_given = false;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help") return kHelp;
    std::string value;
    std::string::size_type equals = option.find('=');
    bool inline_value = option.compare(0, 2, "--") == 0 && equals != std::string::npos;
    if (inline_value) {
      value = option.substr(equals + 1);
      option.erase(equals);
    }
    if (!known(option)) {
      fail("unknown option " + option);
      return kError;
    }
    if (!inline_value) {
      if (i + 1 >= argc) {
        fail("option " + option + " needs a value");
        return kError;
      }
      value = argv[++i];
    }
    if (!take(option, value)) return kError;
    if (option == "--install-dir") install_given = true;
  }
  return fill_defaults(install_given) ? kRun : kError;
}

bool COptions::known(const std::string& option) {
  static const char* const kOptions[] = {"--install-dir", "--socket",  "--plugin-dir",
                                         "--plugins",     "--threads", "--log-mask"};
  for (const char* known_option : kOptions) {
    if (option == known_option) return true;
  }
  return false;
}

bool COptions::fill_defaults(bool install_given) {
  if (!install_given) install_dir_ = utility::CUnixHelper::get_zelmor_path();
  if (install_dir_.empty()) return fail("the install directory is empty");
  if (socket_path_.empty()) {
    std::string base = install_dir_;
    while (base.size() > 1 && base[base.size() - 1] == '/') base.erase(base.size() - 1);
    socket_path_ = (base == "/" ? std::string() : base) + kDefaultSocket;
  }
  if (plugin_dir_.empty()) plugin_dir_ = default_plugin_dir();
  if (plugin_dir_.empty()) return fail("cannot find the plug-in directory");
  // The host changes into the install directory: fix relative paths first.
  return absolute(install_dir_) && absolute(socket_path_) && absolute(plugin_dir_);
}

bool COptions::absolute(std::string& path) {
  if (path[0] == '/') return true;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return fail("cannot read the working directory");
  path = std::string(cwd) + "/" + path;
  return true;
}

bool COptions::take(const std::string& option, const std::string& value) {
  if (option == "--install-dir") {
    install_dir_ = value;
  } else if (option == "--socket") {
    if (value.empty()) return fail("--socket needs a path");
    socket_path_ = value;
  } else if (option == "--plugin-dir") {
    if (value.empty()) return fail("--plugin-dir needs a directory");
    plugin_dir_ = value;
  } else if (option == "--plugins") {
    return take_plugins(value);
  } else if (option == "--threads") {
    if (!to_unsigned(value, threads_) || threads_ == 0 || threads_ > kMaxThreads) {
      return fail("--threads takes a number from 1 to 256, not '" + value + "'");
    }
  } else if (option == "--log-mask") {
    if (!to_unsigned(value, log_mask_)) return fail("--log-mask takes a number, not '" + value + "'");
    has_log_mask_ = true;
  }
  return true;
}

bool COptions::take_plugins(const std::string& list) {
  plugins_.clear();
  std::string::size_type start = 0;
  while (start <= list.size()) {
    std::string::size_type comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string name = list.substr(start, comma - start);
    start = comma + 1;
    std::string file = plugin_file_name(name);
    if (file.empty()) return fail("--plugins: bad plug-in name '" + name + "'");
    if (std::find(plugins_.begin(), plugins_.end(), file) == plugins_.end()) {
      plugins_.push_back(file);
    }
  }
  return true;
}

bool COptions::fail(const std::string& text) {
  error_ = text;
  return false;
}

std::string COptions::plugin_file_name(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return std::string();
  if (name.compare(0, 3, kPluginPrefix) == 0 && ends_with(name, kPluginSuffix)) return name;
  return kPluginPrefix + name + kPluginSuffix;
}

std::string COptions::default_plugin_dir() {
  char buffer[PATH_MAX];
  ssize_t length = ::readlink(kSelfExe, buffer, sizeof buffer - 1);
  if (length <= 0) return std::string();
  std::string bin_dir = parent_of(std::string(buffer, static_cast<std::size_t>(length)));
  std::string root = parent_of(bin_dir);
  return (root == "/" ? std::string() : root) + "/lib";
}

}  // namespace host
