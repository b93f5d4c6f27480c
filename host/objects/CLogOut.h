// "obj.m.log.out": stores the agent's log records.
#ifndef HOST_OBJECTS_CLOGOUT_H_
#define HOST_OBJECTS_CLOGOUT_H_

#include <memory>
#include <string>

#include "frame/host_objects.h"
#include "host/objects/CLogStore.h"

namespace host {

// A facade over one shared CLogStore: clones share the store, which lives
// until the last clone is released. Safe for concurrent use.
class CLogOut : public IObj_LogOut {
 public:
  explicit CLogOut(std::shared_ptr<CLogStore> store);
  // A facade over a new store at `install_dir` + "/" + CLogStore::kRelativePath.
  static CLogOut for_install_dir(const std::string& install_dir);

  int version() const override { return 1; }
  IObject* clone() const override;  // null when memory is short
  void release() override { delete this; }

  ec::EC write_log(SystemRadLog* log) override;

 private:
  std::shared_ptr<CLogStore> store_;
};

}  // namespace host

#endif  // HOST_OBJECTS_CLOGOUT_H_
