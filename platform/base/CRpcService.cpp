#include "platform/base/CRpcService.h"

#include <new>

#include "platform/base/CRpcFactory.h"

namespace rpc {

fwbase::IGlobalEnv::IObject* CRpcService::clone() const {
  return new (std::nothrow) CRpcService();
}

void CRpcService::release() { delete this; }

IRpcFactory* CRpcService::factory() { return CRpcFactory::instance(); }

}  // namespace rpc
