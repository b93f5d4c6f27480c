// In-process harness for a realization: registers the RPC factory, builds
// request blocks, calls call_func and reads the reply blocks back.
#ifndef FRAME_TESTS_REALIZEFIXTURE_H_
#define FRAME_TESTS_REALIZEFIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/rpc.h"
#include "frame/wire.h"
#include "platform/base/CCommand.h"
#include "platform/base/CRpcService.h"

namespace test_support {

// A reply block read back: the code it carries and its results.
struct ReadReply {
  bool parsed = false;
  ec::EC code = 0;
  std::size_t length = 0;
  rpc::IReply* reply = nullptr;
  ~ReadReply() {
    if (reply) reply->release();
  }
  rpc::IParams* result(std::size_t i) const { return reply->results()->at(i); }
  std::size_t results() const { return reply->results()->count(); }
};

class RealizeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    env()->register_object("obj.fws.rpc", &service_);
    factory_ = service_.factory();
  }
  void TearDown() override { env()->unregister_object("obj.fws.rpc"); }

  static fwbase::IGlobalEnv* env() { return fwbase::IFWBase::instance()->global_env(); }
  rpc::IRpcFactory* factory() { return factory_; }

  // A request block for `method` with `args` appended in order (taken over).
  std::string request(const std::string& iface, const std::string& method,
                      std::vector<rpc::IParams*> args) {
    rpc::IRequest* req = factory_->create_request(method);
    for (rpc::IParams* a : args) req->params()->append(a);
    std::string payload(req->size(), '\0');
    req->serialize(&payload[0], payload.size());
    req->release();
    return wire::make_request_block(iface, payload);
  }

  rpc::IParams* u32(unsigned int v) { return factory_->create_value(rpc::kTypeUInt32, &v, 0); }
  rpc::IParams* u64(unsigned long long v) {
    return factory_->create_value(rpc::kTypeUInt64, &v, 0);
  }
  rpc::IParams* text(const std::string& v) {
    return factory_->create_value(rpc::kTypeString, &v, 0);
  }
  rpc::IParams* flag(bool v) { return factory_->create_value(rpc::kTypeBool, &v, 0); }
  // A record of the given fields (taken over).
  rpc::IParams* record(std::vector<rpc::IParams*> fields) {
    rpc::IParams* list = factory_->create_list();
    for (rpc::IParams* f : fields) list->append(f);
    return factory_->create_value(rpc::kTypeRecord, list, 0);
  }
  rpc::IParams* array(std::vector<std::vector<rpc::IParams*>> elements) {
    std::vector<rpc::IParams*> lists;
    for (auto& fields : elements) {
      rpc::IParams* list = factory_->create_list();
      for (rpc::IParams* f : fields) list->append(f);
      lists.push_back(list);
    }
    return factory_->create_value(rpc::kTypeArray, &lists, 0);
  }

  // Copies `bytes` into a framework block (the caller releases it).
  fwbase::IDataBlock* block_of(const std::string& bytes) {
    fwbase::IDataBlock* block = nullptr;
    fwbase::IFWBase::instance()->block_allocator()->alloc(block, bytes.size());
    if (!bytes.empty()) std::memcpy(block->buffer(), bytes.data(), bytes.size());
    block->set_length(bytes.size());
    return block;
  }

  // Calls call_func; `reply` is filled from the reply block if one came back.
  ec::EC call(rpc::IIfaceRealize& realize, const std::string& block_bytes, ReadReply& reply,
              rpc::ICommand* command = nullptr) {
    fwbase::IDataBlock* in = block_of(block_bytes);
    fwbase::IDataBlock* out = nullptr;
    rpc::CCommand none;
    ec::EC code = realize.call_func(in, out, command ? command : &none);
    in->release();
    if (out != nullptr) read(out, reply);
    return code;
  }

  void read(fwbase::IDataBlock* block, ReadReply& reply) {
    reply.length = block->length();
    reply.reply = factory_->create_reply(nullptr, 0);
    reply.parsed = reply.reply->parse(block->data(), block->length());
    reply.code = reply.reply->code();
    block->release();
  }

 private:
  rpc::CRpcService service_;
  rpc::IRpcFactory* factory_ = nullptr;
};

inline unsigned int as_u32(rpc::IParams* v) { return *static_cast<unsigned int*>(v->value()); }
inline unsigned long long as_u64(rpc::IParams* v) {
  return *static_cast<unsigned long long*>(v->value());
}
inline const std::string& as_text(rpc::IParams* v) {
  return *static_cast<std::string*>(v->value());
}
inline bool as_flag(rpc::IParams* v) { return *static_cast<bool*>(v->value()); }

}  // namespace test_support

#endif  // FRAME_TESTS_REALIZEFIXTURE_H_
