// Placeholder until the host objects land: registers nothing.
#include "host/objects/host_objects.h"

namespace host {

ec::EC register_host_objects(fwbase::IGlobalEnv&, const std::string&) { return ec::kFwOk; }
void unregister_host_objects(fwbase::IGlobalEnv&) {}

}  // namespace host
