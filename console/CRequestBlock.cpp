#include "console/CRequestBlock.h"

#include "frame/wire.h"

namespace console {

CRequestBlock::Outcome CRequestBlock::make(const std::string& iface, const rpc::IRequest& request,
                                            std::string& block, std::string& error) {
  std::string name = iface + "." + request.method();
  std::string payload(request.size(), '\0');
  if (payload.empty() || request.serialize(&payload[0], payload.size()) != payload.size()) {
    error = "could not serialize the request for " + name;
    return kFailed;
  }
  block = wire::make_request_block(iface, payload);
  if (block.empty()) {
    error = "interface name \"" + iface + "\" is too long";
    return kFailed;
  }
  if (block.size() > wire::kMaxRequestBody) {
    error = "the request for " + name + " is " + std::to_string(block.size()) +
            " bytes, above the limit of " + std::to_string(wire::kMaxRequestBody);
    return kTooLarge;
  }
  return kMade;
}

}  // namespace console
