#include "platform/base/CGlobalEnv.h"

#include <mutex>

namespace fwbase {

CGlobalEnv::~CGlobalEnv() {
  for (auto& entry : objects_) entry.second->release();
}

ec::EC CGlobalEnv::register_object(const char* name, const IObject* object) {
  if (name == nullptr || object == nullptr) return ec::kFwBadArgument;
  IObject* copy = object->clone();
  if (copy == nullptr) return ec::kFwNoMemory;
  IObject* replaced = nullptr;
  try {
    std::string key(name);
    std::unique_lock<std::shared_mutex> lock(mutex_);
    IObject*& slot = objects_[key];
    replaced = slot;
    slot = copy;
  } catch (...) {
    copy->release();
    return ec::kFwNoMemory;
  }
  if (replaced != nullptr) replaced->release();
  return ec::kFwOk;
}

ec::EC CGlobalEnv::query_object(const char* name, IObject*& object) {
  object = nullptr;
  if (name == nullptr) return ec::kFwBadArgument;
  try {
    std::string key(name);
    std::shared_lock<std::shared_mutex> lock(mutex_);
    auto found = objects_.find(key);
    if (found == objects_.end()) return ec::kFwNotFound;
    object = found->second->clone();
  } catch (...) {
    object = nullptr;
  }
  return object == nullptr ? ec::kFwNoMemory : ec::kFwOk;
}

ec::EC CGlobalEnv::unregister_object(const char* name) {
  if (name == nullptr) return ec::kFwBadArgument;
  IObject* removed = nullptr;
  try {
    std::string key(name);
    std::unique_lock<std::shared_mutex> lock(mutex_);
    auto found = objects_.find(key);
    if (found == objects_.end()) return ec::kFwNotFound;
    removed = found->second;
    objects_.erase(found);
  } catch (...) {
    return ec::kFwNoMemory;
  }
  removed->release();
  return ec::kFwOk;
}

}  // namespace fwbase
