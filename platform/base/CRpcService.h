// The object the host registers as "obj.fws.rpc".
#ifndef PLATFORM_BASE_CRPCSERVICE_H_
#define PLATFORM_BASE_CRPCSERVICE_H_

#include "frame/export.h"
#include "frame/rpc.h"

namespace rpc {

// A small facade over the shared, stateless CRpcFactory: every clone is a
// new facade, freed with release() (or destroyed directly when it was made
// on the stack). Thread-safe.
class AGENT_EXPORT CRpcService : public IRpcService {
 public:
  CRpcService() {}
  ~CRpcService() override {}
  CRpcService(const CRpcService&) = delete;
  CRpcService& operator=(const CRpcService&) = delete;

  int version() const override { return 0; }
  // Null when allocation fails.
  IObject* clone() const override;
  void release() override;
  // The process-wide factory; never null.
  IRpcFactory* factory() override;
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CRPCSERVICE_H_
