#include "host/CPluginLoader.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "host/report.h"

namespace host {

namespace {

const char kFilePrefix[] = "lib";
const char kFileSuffix[] = "_linux.so";
// Libraries of the platform that live beside the plug-ins.
const char* const kPlatformLibraries[] = {"libbase_linux.so", "liblitexml_linux.so",
                                          "libipfilter_linux.so"};

bool is_plugin_file_name(const std::string& name) {
  const std::size_t prefix = sizeof kFilePrefix - 1;
  const std::size_t suffix = sizeof kFileSuffix - 1;
  if (name.size() <= prefix + suffix || name.compare(0, prefix, kFilePrefix) != 0 ||
      name.compare(name.size() - suffix, suffix, kFileSuffix) != 0) {
    return false;
  }
  for (const char* platform : kPlatformLibraries) {
    if (name == platform) return false;
  }
  return true;
}

bool is_regular_file(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

CPluginLoader::~CPluginLoader() { unload(); }

std::vector<std::string> CPluginLoader::discover(const std::string& dir) {
  std::vector<std::string> files;
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return files;
  while (dirent* entry = ::readdir(listing)) {
    std::string name = entry->d_name;
    if (is_plugin_file_name(name) && is_regular_file(dir + "/" + name)) files.push_back(name);
  }
  ::closedir(listing);
  std::sort(files.begin(), files.end());
  return files;
}

std::size_t CPluginLoader::load(const std::string& dir, const std::vector<std::string>& files) {
  std::size_t loaded = 0;
  for (const std::string& file : files) {
    std::string error;
    std::unique_ptr<CPlugin> plugin = CPlugin::load(dir + "/" + file, error);
    if (plugin && admit(std::move(plugin), error)) {
      ++loaded;
    } else {
      report("plug-in " + file + " not loaded: " + error);
    }
  }
  return loaded;
}

bool CPluginLoader::admit(std::unique_ptr<CPlugin> plugin, std::string& error) {
  for (const CPlugin::Interface& published : plugin->interfaces()) {
    auto owner = owners_.find(published.name);
    if (owner != owners_.end()) {
      error = "interface " + published.name + " is already published by " + owner->second;
      return false;  // `plugin` goes: released and closed
    }
  }
  for (const CPlugin::Interface& published : plugin->interfaces()) {
    routes_[published.name] = &published;
    owners_[published.name] = plugin->file_name();
  }
  plugins_.push_back(std::move(plugin));
  return true;
}

rpc::IIfaceRealize* CPluginLoader::find(const std::string& name) const {
  auto route = routes_.find(name);
  return route == routes_.end() ? nullptr : route->second->realize;
}

std::vector<std::string> CPluginLoader::names() const {
  std::vector<std::string> names;
  for (const auto& plugin : plugins_) names.push_back(plugin->short_name());
  return names;
}

void CPluginLoader::unload() {
  routes_.clear();
  owners_.clear();
  for (auto it = plugins_.rbegin(); it != plugins_.rend(); ++it) (*it)->release();
  while (!plugins_.empty()) plugins_.pop_back();
}

}  // namespace host
