// The set of loaded plug-ins and the routing table of their interfaces.
#ifndef HOST_CPLUGINLOADER_H_
#define HOST_CPLUGINLOADER_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/CPlugin.h"

namespace host {

// Loading and unloading happen on one thread while nobody serves calls;
// between the two, find() and interfaces() are read-only and safe from any
// thread.
class CPluginLoader {
 public:
  CPluginLoader() = default;
  // Unloads what is still loaded.
  ~CPluginLoader();
  CPluginLoader(const CPluginLoader&) = delete;
  CPluginLoader& operator=(const CPluginLoader&) = delete;

  // The plug-in files of `dir`: every regular lib*_linux.so except the
  // platform libraries, sorted by name.
  static std::vector<std::string> discover(const std::string& dir);

  // Loads `files` (names inside `dir`) in order. A plug-in that cannot be
  // loaded, or publishes an interface name already taken, is reported in one
  // line and left out; the others load on. Returns the number loaded.
  std::size_t load(const std::string& dir, const std::vector<std::string>& files);

  // The realization publishing `name`, or null.
  rpc::IIfaceRealize* find(const std::string& name) const;
  // Every published interface, by name.
  const std::map<std::string, const CPlugin::Interface*>& interfaces() const { return routes_; }
  // Short names of the loaded plug-ins, in load order.
  std::vector<std::string> names() const;

  // Releases every plug-in, last loaded first, then closes them all.
  void unload();

 private:
  bool admit(std::unique_ptr<CPlugin> plugin, std::string& error);

  std::vector<std::unique_ptr<CPlugin> > plugins_;
  std::map<std::string, const CPlugin::Interface*> routes_;
  std::map<std::string, std::string> owners_;  // interface name -> plug-in file
};

}  // namespace host

#endif  // HOST_CPLUGINLOADER_H_
