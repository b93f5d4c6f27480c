// The framework singleton behind fwbase::IFWBase::instance().
#ifndef PLATFORM_BASE_CFWBASE_H_
#define PLATFORM_BASE_CFWBASE_H_

#include "frame/export.h"
#include "frame/fwbase.h"
#include "platform/base/CBlockAllocator.h"
#include "platform/base/CGlobalEnv.h"
#include "platform/base/CRunLog.h"

namespace fwbase {

// Owns the run log, the registry and the block allocator; the pointers it
// hands out live as long as it does. IFWBase::instance() returns the one
// process-wide object (a function-local static, destroyed at exit).
class AGENT_EXPORT CFWBase : public IFWBase {
 public:
  CFWBase() {}
  ~CFWBase() override {}
  CFWBase(const CFWBase&) = delete;
  CFWBase& operator=(const CFWBase&) = delete;

  IRunLog* run_log() override { return &run_log_; }
  IGlobalEnv* global_env() override { return &global_env_; }
  IBlockAllocator* block_allocator() override { return &block_allocator_; }

 private:
  CRunLog run_log_;
  CGlobalEnv global_env_;
  CBlockAllocator block_allocator_;
};

}  // namespace fwbase

#endif  // PLATFORM_BASE_CFWBASE_H_
