#include "host/objects/CLogOut.h"

#include <new>
#include <utility>

namespace host {

CLogOut::CLogOut(std::shared_ptr<CLogStore> store) : store_(std::move(store)) {}

CLogOut CLogOut::for_install_dir(const std::string& install_dir) {
  return CLogOut(std::make_shared<CLogStore>(install_dir + "/" + CLogStore::kRelativePath));
}

fwbase::IGlobalEnv::IObject* CLogOut::clone() const { return new (std::nothrow) CLogOut(store_); }

ec::EC CLogOut::write_log(SystemRadLog* log) {
  if (log == nullptr) return ec::kFwBadArgument;
  try {
    return store_->append(*log);
  } catch (const std::bad_alloc&) {
    return ec::kFwNoMemory;
  }
}

}  // namespace host
