// The registry of named objects.
#ifndef PLATFORM_BASE_CGLOBALENV_H_
#define PLATFORM_BASE_CGLOBALENV_H_

#include <map>
#include <shared_mutex>
#include <string>

#include "frame/export.h"
#include "frame/fwbase.h"

namespace fwbase {

// Keeps one clone per name and hands out clones of it. Thread-safe: a
// shared mutex guards the map; clones are made under it (shared for
// queries), replaced or removed objects are released after it is dropped.
// Objects still registered when the registry goes are released then.
//
// Results: ec::kFwOk; ec::kFwBadArgument for a null name or object;
// ec::kFwNotFound for a name not registered; ec::kFwNoMemory when a clone
// (or the map) cannot be allocated.
class AGENT_EXPORT CGlobalEnv : public IGlobalEnv {
 public:
  CGlobalEnv() {}
  ~CGlobalEnv() override;
  CGlobalEnv(const CGlobalEnv&) = delete;
  CGlobalEnv& operator=(const CGlobalEnv&) = delete;

  ec::EC register_object(const char* name, const IObject* object) override;
  ec::EC query_object(const char* name, IObject*& object) override;
  ec::EC unregister_object(const char* name) override;

 private:
  std::shared_mutex mutex_;
  std::map<std::string, IObject*> objects_;  // guarded by mutex_; owns the values
};

}  // namespace fwbase

#endif  // PLATFORM_BASE_CGLOBALENV_H_
