#include "host/CDirectory.h"

#include <cstring>
#include <vector>

#include "frame/wire.h"

namespace host {

namespace {

void release_all(std::vector<rpc::IParams*>& lists) {
  for (rpc::IParams* list : lists) list->release();
  lists.clear();
}

}  // namespace

CDirectory::CDirectory(const CPluginLoader& plugins, rpc::IRpcFactory& factory)
    : plugins_(plugins), factory_(factory) {}

ec::EC CDirectory::answer(const unsigned char* payload, std::size_t length,
                          std::string& reply) const {
  reply.clear();
  rpc::IRequest* request = factory_.create_request(std::string());
  if (request == nullptr) return ec::kRpcCreateRequest;
  bool parsed = request->parse(payload, length);
  bool known = parsed && request->method() == wire::kDirectoryMethod;
  request->release();
  if (!parsed) return ec::kRpcParse;
  if (!known) return ec::kRpcNoMethod;

  rpc::IReply* made = factory_.create_reply(nullptr, ec::kRpcOk);
  if (made == nullptr) return ec::kRpcCreateReply;
  ec::EC code = build(*made);
  if (ec::succeeded(code)) code = serialize(*made, reply);
  made->release();
  return code;
}

ec::EC CDirectory::build(rpc::IReply& reply) const {
  std::vector<rpc::IParams*> records;
  for (const auto& route : plugins_.interfaces()) {
    const CPlugin::Interface& iface = *route.second;
    const rpc::IIfaceRealize::IAtt* att = iface.realize->iatt();
    rpc::IIfaceRealize::IAtt empty_att;
    if (att == nullptr) att = &empty_att;
    std::size_t rows = iface.methods.empty() ? 1 : iface.methods.size();
    for (std::size_t i = 0; i < rows; ++i) {
      rpc::IParams* row = record(*att, iface.methods.empty() ? nullptr : iface.methods[i]);
      if (row == nullptr) {
        release_all(records);
        return ec::kRpcCreateValue;
      }
      records.push_back(row);
    }
  }
  rpc::IParams* array = factory_.create_value(rpc::kTypeArray, &records, rpc::kCopy);
  if (array == nullptr) {
    release_all(records);
    return ec::kRpcCreateValue;
  }
  rpc::IParams* results = reply.results();
  if (results == nullptr || !results->append(array)) return ec::kRpcCreateValue;
  return ec::kRpcOk;
}

rpc::IParams* CDirectory::record(const rpc::IIfaceRealize::IAtt& iface,
                                 const rpc::IIfaceRealize::FAtt* method) const {
  static const rpc::IIfaceRealize::FAtt kNoMethod;
  if (method == nullptr) method = &kNoMethod;
  const std::string* fields[] = {&iface.name,        &iface.id,           &iface.description,
                                 &method->name,      &method->description, &method->signature};
  rpc::IParams* list = factory_.create_list();
  if (list == nullptr) return nullptr;
  for (const std::string* field : fields) {
    rpc::IParams* value = factory_.create_value(rpc::kTypeString, field, rpc::kCopy);
    if (value == nullptr || !list->append(value)) {
      list->release();
      return nullptr;
    }
  }
  return list;
}

ec::EC CDirectory::serialize(const rpc::IReply& reply, std::string& out) const {
  std::size_t size = reply.size();
  if (size > rpc::kMaxReplySize) return ec::kRpcReplyTooLong;
  out.assign(size, '\0');
  if (size > 0 && reply.serialize(&out[0], size) != size) {
    out.clear();
    return ec::kRpcSizeMismatch;
  }
  return ec::kRpcOk;
}

}  // namespace host
