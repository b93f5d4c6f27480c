// The host's own objects in the global environment: "obj.m.global.config",
// "obj.m.log.out" and "obj.m.show.warning.window" (interfaces in
// frame/host_objects.h). The log records they store are read back with
// read_log_records of host/objects/CLogStore.h.
#ifndef HOST_OBJECTS_HOST_OBJECTS_H_
#define HOST_OBJECTS_HOST_OBJECTS_H_

#include <string>

#include "frame/ec.h"
#include "frame/fwbase.h"

namespace host {

// Registers the three objects, backed by files below `install_dir`: the
// settings file config/other/zelmor_config_other.xml and the database
// runlog/agent_logs.db; warnings go to standard output and the system log.
// Nothing is opened or created here. Returns the first failure code of the
// registry, or ec::kFwOk.
ec::EC register_host_objects(fwbase::IGlobalEnv& env, const std::string& install_dir);
// Unregisters them; called after every plug-in is released. Clones still
// held elsewhere keep working until they are released.
void unregister_host_objects(fwbase::IGlobalEnv& env);

// The database of register_host_objects for `install_dir`.
std::string log_database_path(const std::string& install_dir);

}  // namespace host

#endif  // HOST_OBJECTS_HOST_OBJECTS_H_
