// A plug-in made for the host tests: one realization without methods and
// one registrar. The build sets the interface name it publishes
// (FIXTURE_IFACE) and the code its realization's init returns
// (FIXTURE_INIT_CODE). Each release() appends a line to
// "tmp/<FIXTURE_MARKER>.released" so tests can see what was released.
#include <cstdio>

#include "frame/export.h"
#include "frame/fwbase.h"
#include "frame/rpc.h"

namespace {

void note_release(const char* what) {
  std::FILE* marker = std::fopen("tmp/" FIXTURE_MARKER ".released", "a");
  if (marker == nullptr) return;
  std::fprintf(marker, "%s\n", what);
  std::fclose(marker);
}

class CFixtureRealize : public rpc::IIfaceRealize {
 public:
  ec::EC init(void*) override {
    att_.name = FIXTURE_IFACE;
    att_.id = "00000000-0000-4000-8000-000000000001";
    att_.description = "fixture";
    return FIXTURE_INIT_CODE;
  }
  void release() override { note_release("realization"); }
  const IAtt* iatt() const override { return &att_; }
  ec::EC fatts(ex_std::vector<const FAtt*>& out) const override {
    out.clear();
    return ec::kRpcOk;
  }
  ec::EC call_func(const fwbase::IDataBlock*, fwbase::IDataBlock*& reply,
                   rpc::ICommand*) override {
    reply = nullptr;
    return ec::kRpcNoMethod;
  }

 private:
  IAtt att_;
};

class CFixtureRegistrar : public fwbase::IMM::IBase {
 public:
  ec::EC init(void*) override { return ec::kFwOk; }
  void release() override { note_release("registrar"); }
};

}  // namespace

extern "C" AGENT_EXPORT rpc::IIfaceRealize* rpc_ireal_IFixture() {
  static CFixtureRealize realize;
  return &realize;
}

extern "C" AGENT_EXPORT fwbase::IMM::IBase* cloud_center_reg() {
  static CFixtureRegistrar registrar;
  return &registrar;
}
