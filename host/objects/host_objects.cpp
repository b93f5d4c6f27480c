#include "host/objects/host_objects.h"

#include <cstdio>
#include <memory>
#include <new>

#include "frame/host_objects.h"
#include "host/objects/CGlobalConfig.h"
#include "host/objects/CLogOut.h"
#include "host/objects/CShowWarningWindow.h"

namespace host {

ec::EC register_host_objects(fwbase::IGlobalEnv& env, const std::string& install_dir) {
  try {
    // The registry keeps clones of these temporaries; all share one state.
    CGlobalConfig config = CGlobalConfig::for_install_dir(install_dir);
    CLogOut log_out = CLogOut::for_install_dir(install_dir);
    CShowWarningWindow warnings(std::make_shared<CWarningPrinter>(stdout, true));

    ec::EC code = env.register_object(kObjGlobalConfig, &config);
    if (ec::succeeded(code)) code = env.register_object(kObjLogOut, &log_out);
    if (ec::succeeded(code)) code = env.register_object(kObjShowWarningWindow, &warnings);
    return code;
  } catch (const std::bad_alloc&) {
    return ec::kFwNoMemory;
  }
}

void unregister_host_objects(fwbase::IGlobalEnv& env) {
  env.unregister_object(kObjShowWarningWindow);
  env.unregister_object(kObjLogOut);
  env.unregister_object(kObjGlobalConfig);
}

std::string log_database_path(const std::string& install_dir) {
  return install_dir + "/" + CLogStore::kRelativePath;
}

}  // namespace host
