// The arguments of `agentctl blacklist ...`: which IIpBlackListManager
// method one command line calls, and with which range. See usage() for the
// accepted forms.
//
// Stateless; safe from several threads.
#ifndef CONSOLE_CBLACKLISTARGS_H_
#define CONSOLE_CBLACKLISTARGS_H_

#include <string>
#include <vector>

#include "platform/ipfilter/IpScope.h"

namespace console {

class CBlacklistArgs {
 public:
  enum Verb { kHelp, kAdd, kDel, kList, kClear, kFilter, kPersis, kPost };
  enum Part { kAll, kTemp, kPersistent };  // which list `list` and `clear` work on

  struct Action {
    Verb verb = kHelp;
    // The method to call; empty for kHelp and kPost.
    std::string method;
    // add, del and post: the range; time_out 0 means persistent (del always
    // sends 0, so that a persistent range also leaves the rule file).
    bool has_scope = false;
    rpc::IpScope scope = {0, 0, 0};
    Part part = kAll;
    bool on = false;  // filter, persis
  };

  static const char kInterface[];

  // Reads the arguments after "blacklist". False with `error` for an unknown
  // command, option or extra argument, a malformed or reversed range, or a
  // time-out that is not a number from 1 to 4294967295.
  static bool parse(const std::vector<std::string>& args, Action& out, std::string& error);

  static std::string usage();
};

}  // namespace console

#endif  // CONSOLE_CBLACKLISTARGS_H_
