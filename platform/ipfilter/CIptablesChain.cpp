#include "platform/ipfilter/CIptablesChain.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "utility/write_all.h"

namespace ipfilter {

namespace {

// Fixed places only: the agent never takes the firewall tools from PATH.
const char* const kProgramDirs[] = {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"};
const char kWaitSeconds[] = "5";
// How many stale jumps remove() takes out of INPUT at most.
const int kMaxJumps = 16;

}  // namespace

CIptablesChain::CIptablesChain(const std::string& chain) : chain_(chain) {}

std::string CIptablesChain::find_program(const char* name) {
  for (const char* dir : kProgramDirs) {
    const std::string path = std::string(dir) + name;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return std::string();
}

int CIptablesChain::run(const std::string& program, const std::vector<std::string>& args,
                        const std::string& input) {
  if (program.empty()) return -1;
  std::vector<std::string> words(1, program);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  int input_fd = -1;
  if (!input.empty()) {
    input_fd = ::memfd_create("ipfilter-rules", MFD_CLOEXEC);
    if (input_fd < 0 || !utility::write_all(input_fd, input.data(), input.size()) ||
        ::lseek(input_fd, 0, SEEK_SET) != 0) {
      if (input_fd >= 0) ::close(input_fd);
      return -1;
    }
  }
  const pid_t child = ::fork();
  if (child == 0) {
    // Only async-signal-safe calls until execv.
    const int null_fd = ::open("/dev/null", O_RDWR);
    ::dup2(input_fd >= 0 ? input_fd : null_fd, 0);
    ::dup2(null_fd, 1);
    ::dup2(null_fd, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (input_fd >= 0) ::close(input_fd);
  if (child < 0) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool CIptablesChain::ensure() {
  if (iptables_.empty()) iptables_ = find_program("iptables");
  if (restore_.empty()) restore_ = find_program("iptables-restore");
  if (iptables_.empty() || restore_.empty()) return false;
  if (run(iptables_, {"-w", kWaitSeconds, "-n", "-L", chain_}) != 0 &&
      run(iptables_, {"-w", kWaitSeconds, "-N", chain_}) != 0)
    return false;
  if (run(iptables_, {"-w", kWaitSeconds, "-C", "INPUT", "-j", chain_}) == 0) return true;
  return run(iptables_, {"-w", kWaitSeconds, "-I", "INPUT", "1", "-j", chain_}) == 0;
}

bool CIptablesChain::set_rules(const std::vector<std::string>& sets) {
  // Declaring the chain in a no-flush restore empties it in the same
  // transaction that adds the new rules.
  std::string text = "*filter\n:" + chain_ + " - [0:0]\n";
  for (const std::string& set : sets)
    text += "-A " + chain_ + " -m set --match-set " + set + " src -j DROP\n";
  text += "COMMIT\n";
  return run(restore_, {"-w", kWaitSeconds, "--noflush"}, text) == 0;
}

void CIptablesChain::remove() {
  if (iptables_.empty()) iptables_ = find_program("iptables");
  for (int i = 0; i < kMaxJumps; ++i) {
    if (run(iptables_, {"-w", kWaitSeconds, "-D", "INPUT", "-j", chain_}) != 0) break;
  }
  run(iptables_, {"-w", kWaitSeconds, "-F", chain_});
  run(iptables_, {"-w", kWaitSeconds, "-X", chain_});
}

}  // namespace ipfilter
