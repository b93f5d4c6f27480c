// The host's own interface (the empty name): the directory of every loaded
// interface and its methods.
#ifndef HOST_CDIRECTORY_H_
#define HOST_CDIRECTORY_H_

#include <cstddef>
#include <string>

#include "frame/ec.h"
#include "frame/rpc.h"
#include "host/CPluginLoader.h"

namespace host {

// Holds references to `plugins` and `factory`, which must outlive it. Safe
// for concurrent use while the plug-in set does not change.
class CDirectory {
 public:
  CDirectory(const CPluginLoader& plugins, rpc::IRpcFactory& factory);
  CDirectory(const CDirectory&) = delete;
  CDirectory& operator=(const CDirectory&) = delete;

  // Answers one request payload. Returns the code of the final frame and,
  // on success, the serialized reply in `reply`: one array of records of
  // six strings (interface name, GUID, interface description, method name,
  // method description, signature), interfaces by name, methods in fatts()
  // order; an interface without methods gives one record with the method
  // fields empty. Failures: ec::kRpcCreateRequest, ec::kRpcParse,
  // ec::kRpcNoMethod, ec::kRpcCreateReply, ec::kRpcCreateList,
  // ec::kRpcCreateValue, ec::kRpcReplyTooLong (reply left empty).
  ec::EC answer(const unsigned char* payload, std::size_t length, std::string& reply) const;

 private:
  ec::EC build(rpc::IReply& reply) const;
  rpc::IParams* record(const rpc::IIfaceRealize::IAtt& iface,
                       const rpc::IIfaceRealize::FAtt* method) const;
  ec::EC serialize(const rpc::IReply& reply, std::string& out) const;

  const CPluginLoader& plugins_;
  rpc::IRpcFactory& factory_;
};

}  // namespace host

#endif  // HOST_CDIRECTORY_H_
