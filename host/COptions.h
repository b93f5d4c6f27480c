// The command line of agent_host.
#ifndef HOST_COPTIONS_H_
#define HOST_COPTIONS_H_

#include <string>
#include <vector>

namespace host {

class COptions {
 public:
  enum Outcome {
    kRun,    // options are valid; start serving
    kHelp,   // --help was given; print usage and exit 0
    kError,  // error() says what is wrong; print it with the usage and exit 2
  };

  COptions();

  // Reads argv[1..argc-1]. Options not given keep their defaults; defaults
  // that depend on others (socket path, plug-in directory) are filled in
  // after a successful parse, and relative paths are made absolute.
  Outcome parse(int argc, const char* const* argv);

  static const char* usage();

  const std::string& error() const { return error_; }
  const std::string& install_dir() const { return install_dir_; }
  const std::string& socket_path() const { return socket_path_; }
  const std::string& plugin_dir() const { return plugin_dir_; }
  // File names (lib<name>_linux.so), in the order given, without repeats.
  // Empty means every plug-in found in plugin_dir().
  const std::vector<std::string>& plugins() const { return plugins_; }
  unsigned threads() const { return threads_; }
  bool has_log_mask() const { return has_log_mask_; }
  unsigned log_mask() const { return log_mask_; }

  // "ip_blacklist" -> "libip_blacklist_linux.so"; a name already in that
  // form is kept. Empty for a name holding '/' or nothing.
  static std::string plugin_file_name(const std::string& name);
  // The "lib" directory beside the directory of the running executable;
  // empty when /proc/self/exe cannot be read.
  static std::string default_plugin_dir();

 private:
  static bool known(const std::string& option);
  bool fill_defaults(bool install_given);
  bool absolute(std::string& path);
  bool take(const std::string& option, const std::string& value);
  bool take_plugins(const std::string& list);
  bool fail(const std::string& text);

  std::string error_;
  std::string install_dir_;
  std::string socket_path_;
  std::string plugin_dir_;
  std::vector<std::string> plugins_;
  unsigned threads_;
  bool has_log_mask_;
  unsigned log_mask_;
};

}  // namespace host

#endif  // HOST_COPTIONS_H_
