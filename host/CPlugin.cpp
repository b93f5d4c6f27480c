#include "host/CPlugin.h"

#include <dlfcn.h>

#include <algorithm>

#include "host/CElfSymbols.h"

namespace host {

namespace {

const char kRealizePrefix[] = "rpc_ireal_";
const char kRegistrarEntry[] = "cloud_center_reg";
const char kFilePrefix[] = "lib";
const char kFileSuffix[] = "_linux.so";

typedef rpc::IIfaceRealize* (*RealizeEntry)();
typedef fwbase::IMM::IBase* (*RegistrarEntry)();

bool is_realize_entry(const std::string& name) {
  return name.size() > sizeof kRealizePrefix - 1 &&
         name.compare(0, sizeof kRealizePrefix - 1, kRealizePrefix) == 0;
}

std::string base_name(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string last_dl_error() {
  const char* text = ::dlerror();
  return text != nullptr ? text : "unknown dynamic loader error";
}

}  // namespace

std::unique_ptr<CPlugin> CPlugin::load(const std::string& path, std::string& error) {
  std::vector<std::string> symbols;
  if (!CElfSymbols::read(path, symbols, error)) return nullptr;
  std::vector<std::string> entries;
  for (const std::string& symbol : symbols) {
    if (is_realize_entry(symbol) || symbol == kRegistrarEntry) entries.push_back(symbol);
  }
  if (entries.empty()) {
    error = "no rpc_ireal_* or cloud_center_reg entry";
    return nullptr;
  }
  ::dlerror();
  void* existing = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (existing != nullptr) {
    ::dlclose(existing);
    error = "this library is already loaded";
    return nullptr;
  }
  // A plug-in may keep a thread of its own running after release() (the
  // blacklist intake lives until the process ends), so its code must stay
  // mapped until exit: RTLD_NODELETE.
  ::dlerror();
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    error = last_dl_error();
    return nullptr;
  }
  std::unique_ptr<CPlugin> plugin(new CPlugin(base_name(path), handle));
  if (!plugin->start(entries, error)) return nullptr;
  return plugin;
}

CPlugin::CPlugin(const std::string& file_name, void* handle)
    : file_name_(file_name), handle_(handle), released_(false) {}

CPlugin::~CPlugin() {
  release();
  ::dlclose(handle_);
}

void CPlugin::release() {
  if (released_) return;
  released_ = true;
  for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) (*it)->release();
}

std::string CPlugin::short_name() const {
  const std::size_t prefix = sizeof kFilePrefix - 1;
  const std::size_t suffix = sizeof kFileSuffix - 1;
  if (file_name_.size() > prefix + suffix && file_name_.compare(0, prefix, kFilePrefix) == 0 &&
      file_name_.compare(file_name_.size() - suffix, suffix, kFileSuffix) == 0) {
    return file_name_.substr(prefix, file_name_.size() - prefix - suffix);
  }
  return file_name_;
}

bool CPlugin::start(const std::vector<std::string>& entries, std::string& error) {
  for (const std::string& entry : entries) {
    ::dlerror();
    void* symbol = ::dlsym(handle_, entry.c_str());
    if (symbol == nullptr) {
      error = entry + ": " + last_dl_error();
      return false;
    }
    bool ok = is_realize_entry(entry) ? start_realization(entry, symbol, error)
                                      : start_registrar(entry, symbol, error);
    if (!ok) return false;
  }
  return true;
}

bool CPlugin::init_object(const std::string& entry, fwbase::IMM::IBase* object,
                          std::string& error) {
  if (object == nullptr) {
    error = entry + " returned no object";
    return false;
  }
  const ec::EC code = object->init(nullptr);
  if (ec::failed(code)) {
    error = "init of " + entry + " failed with code " + ec::to_text(code);
    return false;
  }
  objects_.push_back(object);
  return true;
}

bool CPlugin::start_realization(const std::string& entry, void* symbol, std::string& error) {
  rpc::IIfaceRealize* realize = reinterpret_cast<RealizeEntry>(symbol)();
  if (!init_object(entry, realize, error)) return false;
  Interface published;
  published.realize = realize;
  const rpc::IIfaceRealize::IAtt* att = realize->iatt();
  if (att != nullptr) published.name = att->name;
  if (published.name.empty()) {
    error = entry + " publishes no interface name";
    return false;
  }
  const ec::EC code = realize->fatts(published.methods);
  if (ec::failed(code)) {
    error = "fatts of " + entry + " failed with code " + ec::to_text(code);
    return false;
  }
  auto& methods = published.methods;
  methods.erase(std::remove(methods.begin(), methods.end(), nullptr), methods.end());
  interfaces_.push_back(published);
  return true;
}

bool CPlugin::start_registrar(const std::string& entry, void* symbol, std::string& error) {
  return init_object(entry, reinterpret_cast<RegistrarEntry>(symbol)(), error);
}

}  // namespace host
