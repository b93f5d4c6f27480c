#include "platform/base/CRpcFactory.h"

#include "platform/base/CParams.h"
#include "platform/base/CReply.h"
#include "platform/base/CRequest.h"

namespace rpc {

CRpcFactory* CRpcFactory::instance() {
  static CRpcFactory factory;
  return &factory;
}

IRequest* CRpcFactory::create_request(const std::string& method) {
  return CRequest::create(method);
}

IReply* CRpcFactory::create_reply(ICommand* command, ec::EC code) {
  return CReply::create(command, code);
}

IParams* CRpcFactory::create_list() { return CParams::make_list(); }

IParams* CRpcFactory::create_value(int type, const void* value, int adopt) {
  return CParams::make_value(type, value, adopt);
}

}  // namespace rpc
