// The request block that carries one filled-in request to an interface of
// the agent, as CAgentClient::call sends it.
//
// Stateless; safe from several threads.
#ifndef CONSOLE_CREQUESTBLOCK_H_
#define CONSOLE_CREQUESTBLOCK_H_

#include <string>

#include "frame/rpc.h"

namespace console {

class CRequestBlock {
 public:
  enum Outcome {
    kMade,
    kFailed,    // the request could not be serialized
    kTooLarge,  // the block is above the agent's request limit
  };

  // Serializes `request` for `iface` into `block`; `error` says why when
  // the outcome is not kMade.
  static Outcome make(const std::string& iface, const rpc::IRequest& request, std::string& block,
                      std::string& error);
};

}  // namespace console

#endif  // CONSOLE_CREQUESTBLOCK_H_
