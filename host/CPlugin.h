// One loaded plug-in: its shared library, the objects its entries returned
// and the interfaces its realizations publish.
#ifndef HOST_CPLUGIN_H_
#define HOST_CPLUGIN_H_

#include <memory>
#include <string>
#include <vector>

#include "frame/fwbase.h"
#include "frame/rpc.h"

namespace host {

class CPlugin {
 public:
  // An interface published by one realization of the plug-in. The pointers
  // belong to the plug-in and stay valid until release().
  struct Interface {
    std::string name;
    rpc::IIfaceRealize* realize;
    ex_std::vector<const rpc::IIfaceRealize::FAtt*> methods;  // in fatts() order
  };

  // Loads the shared library at `path`, finds its entries (rpc_ireal_* and
  // cloud_center_reg) in its dynamic symbol table, calls each and init()s
  // what it returns. A library already in the process (under any name) is
  // refused before anything of it runs again. On any failure returns null with `error` set; objects
  // already initialised are released again and the library is closed.
  static std::unique_ptr<CPlugin> load(const std::string& path, std::string& error);

  // Releases the objects if release() was not called, then closes the
  // library.
  ~CPlugin();
  CPlugin(const CPlugin&) = delete;
  CPlugin& operator=(const CPlugin&) = delete;

  // Calls release() on every initialised object, last initialised first.
  // Idempotent. Not thread-safe: call it once nobody routes calls here.
  void release();

  // "libx_linux.so" and "x".
  const std::string& file_name() const { return file_name_; }
  std::string short_name() const;
  const std::vector<Interface>& interfaces() const { return interfaces_; }

 private:
  CPlugin(const std::string& file_name, void* handle);
  bool start(const std::vector<std::string>& entries, std::string& error);
  // Null check and init of an entry's object, which is then released with
  // the plug-in.
  bool init_object(const std::string& entry, fwbase::IMM::IBase* object, std::string& error);
  bool start_realization(const std::string& entry, void* symbol, std::string& error);
  bool start_registrar(const std::string& entry, void* symbol, std::string& error);

  std::string file_name_;
  void* handle_;
  std::vector<fwbase::IMM::IBase*> objects_;  // initialised, in init order
  std::vector<Interface> interfaces_;
  bool released_;
};

}  // namespace host

#endif  // HOST_CPLUGIN_H_
