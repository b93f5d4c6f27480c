// The factory of requests, replies, lists and values.
#ifndef PLATFORM_BASE_CRPCFACTORY_H_
#define PLATFORM_BASE_CRPCFACTORY_H_

#include <string>

#include "frame/export.h"
#include "frame/rpc.h"

namespace rpc {

// Stateless and thread-safe; one process-wide object (instance()) serves
// every CRpcService. What it makes is a CRequest, CReply or CParams owned by
// the caller, who frees it with release(). Every operation returns null on
// failure; create_value takes nothing over then (see CParams::make_value).
class AGENT_EXPORT CRpcFactory : public IRpcFactory {
 public:
  static CRpcFactory* instance();

  CRpcFactory() {}
  ~CRpcFactory() override {}
  CRpcFactory(const CRpcFactory&) = delete;
  CRpcFactory& operator=(const CRpcFactory&) = delete;

  // Null also for a method name longer than 255 bytes.
  IRequest* create_request(const std::string& method) override;
  IReply* create_reply(ICommand* command, ec::EC code) override;
  IParams* create_list() override;
  IParams* create_value(int type, const void* value, int adopt) override;
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CRPCFACTORY_H_
