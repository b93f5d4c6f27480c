// The host's own objects in the global environment: "obj.m.global.config",
// "obj.m.log.out" and "obj.m.show.warning.window".
#ifndef HOST_OBJECTS_HOST_OBJECTS_H_
#define HOST_OBJECTS_HOST_OBJECTS_H_

#include <string>

#include "frame/ec.h"
#include "frame/fwbase.h"

namespace host {

// Registers the three objects, backed by files below `install_dir`.
// Returns the first failure code, or ec::kFwOk.
ec::EC register_host_objects(fwbase::IGlobalEnv& env, const std::string& install_dir);
// Unregisters them; called after every plug-in is released.
void unregister_host_objects(fwbase::IGlobalEnv& env);

}  // namespace host

#endif  // HOST_OBJECTS_HOST_OBJECTS_H_
