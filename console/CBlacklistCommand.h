// `agentctl blacklist ...`: the IP blacklist commands, each one call of the
// agent's IIpBlackListManager interface over the console's socket (found in
// the agent's directory and typed by the signature published there), or,
// for `post`, one message on the intake queue.
//
// A successful change prints one confirmation line; `list` prints one
// entry per line as its replies arrive (see CBlacklistArgs::usage). Problems
// go to `err`, one line each. Both streams and the factory must outlive the
// object. Not thread-safe.
#ifndef CONSOLE_CBLACKLISTCOMMAND_H_
#define CONSOLE_CBLACKLISTCOMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "console/CAgentClient.h"
#include "console/CBlacklistArgs.h"
#include "console/CDirectory.h"
#include "frame/rpc.h"

namespace console {

class CBlacklistCommand {
 public:
  CBlacklistCommand(rpc::IRpcFactory& factory, std::ostream& out, std::ostream& err)
      : factory_(factory), out_(out), err_(err) {}
  CBlacklistCommand(const CBlacklistCommand&) = delete;
  CBlacklistCommand& operator=(const CBlacklistCommand&) = delete;

  // Runs the command given by `args` (the words after "blacklist") against
  // the agent at `socket`. Returns the console's exit status: 0 success, 1
  // the agent refused or failed (or nobody reads the queue), 2 a usage
  // error or an unreachable agent.
  int run(const std::string& socket, const std::vector<std::string>& args);

 private:
  int post(const CBlacklistArgs::Action& action);
  int call(const std::string& socket, const CBlacklistArgs::Action& action);
  // The request block for the action, or an exit status other than 0.
  int build_request(const CDirectory& directory, const CBlacklistArgs::Action& action,
                    std::string& block);
  // The code a frame carries; prints the entries of a query frame. False
  // with `error` when the frame cannot be read.
  bool read_frame(const CAgentClient::Frame& frame, const CBlacklistArgs::Action& action,
                  ec::EC& code, std::string& error);
  void confirm(const CBlacklistArgs::Action& action);
  int problem(int status, const std::string& text);

  rpc::IRpcFactory& factory_;
  std::ostream& out_;
  std::ostream& err_;
  std::string command_;  // "blacklist add 10.0.0.1", for messages
};

}  // namespace console

#endif  // CONSOLE_CBLACKLISTCOMMAND_H_
