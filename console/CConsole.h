// The console's commands: `list` shows the agent's directory, `call` calls
// one method with JSON arguments and prints one JSON line per reply frame,
// `logs` prints the stored log records (without talking to the agent),
// `blacklist` runs the IP blacklist commands (CBlacklistCommand).
//
// Writes results to `out` and one line per problem to `err`; both streams
// and the factory must outlive the object. Not thread-safe.
#ifndef CONSOLE_CCONSOLE_H_
#define CONSOLE_CCONSOLE_H_

#include <json/json.h>

#include <ostream>
#include <string>
#include <vector>

#include "console/CAgentClient.h"
#include "console/CCommandLine.h"
#include "console/CDirectory.h"
#include "console/TypeNode.h"
#include "frame/rpc.h"

namespace console {

class CConsole {
 public:
  // Exit statuses.
  static constexpr int kExitOk = 0;      // the final code is a success
  static constexpr int kExitFailed = 1;  // the call or the agent failed, or no readable records
  static constexpr int kExitUsage = 2;   // bad command line, or the agent cannot be reached

  CConsole(rpc::IRpcFactory& factory, std::ostream& out, std::ostream& err)
      : factory_(factory), out_(out), err_(err) {}
  CConsole(const CConsole&) = delete;
  CConsole& operator=(const CConsole&) = delete;

  // Runs a parsed command line; returns the exit status.
  int run(const CCommandLine::Options& options);

 private:
  int list(const CCommandLine::Options& options);
  int call(const CCommandLine::Options& options);
  int logs(const CCommandLine::Options& options);
  // Connects and loads the directory; an exit status other than kExitOk on failure.
  int open(const std::string& socket, CAgentClient& client, CDirectory& directory);
  // The request block for the call, or an exit status other than kExitOk.
  int build_request(const CDirectory::Entry& entry, const Signature& signature,
                    const std::vector<std::string>& args, std::string& block);
  bool parse_json(const std::string& text, std::size_t index, Json::Value& out);
  // Prints one frame's JSON line; returns whether its code counts as success.
  bool print_frame(const CAgentClient::Frame& frame, const Signature& signature);
  void print_interface(const CDirectory::Entry& entry);
  int problem(int status, const std::string& text);

  rpc::IRpcFactory& factory_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace console

#endif  // CONSOLE_CCONSOLE_H_
