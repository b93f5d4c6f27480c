// The drop rules of the filter: an own chain in the filter table, jumped to
// from INPUT, holding one "match set ... src -j DROP" rule per active set.
// Changed only at open, at switch changes and at removal, by running the
// iptables programs (fork/execv with fixed arguments, no shell; the rule
// text goes to iptables-restore through an in-memory file). The chain's
// rules are replaced in one transaction, so no rule is ever missing while
// they change.
//
// Not thread-safe: one caller at a time. Blocks while a program runs.
#ifndef PLATFORM_IPFILTER_CIPTABLESCHAIN_H_
#define PLATFORM_IPFILTER_CIPTABLESCHAIN_H_

#include <string>
#include <vector>

namespace ipfilter {

class CIptablesChain {
 public:
  // `chain`: the chain's name; set names are given to set_rules().
  explicit CIptablesChain(const std::string& chain);

  // Creates the chain when missing (keeping its rules when present) and
  // makes INPUT jump to it first. False when iptables is missing or fails.
  bool ensure();
  // Makes the chain drop sources found in each of `sets`, and nothing else.
  bool set_rules(const std::vector<std::string>& sets);
  // Removes the jumps from INPUT and the chain.
  void remove();

 private:
  // Runs the program with `args`; `input` (when not empty) is its standard
  // input. Returns the exit code, or -1 when it could not run.
  static int run(const std::string& program, const std::vector<std::string>& args,
                 const std::string& input = std::string());
  static std::string find_program(const char* name);

  const std::string chain_;
  std::string iptables_;
  std::string restore_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPTABLESCHAIN_H_
