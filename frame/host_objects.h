// The objects the host process registers in the global environment for the
// plug-ins: global settings, the log output and the warning window.
//
// Plug-ins reach them with IGlobalEnv::query (for example
// `env->query(kObjGlobalConfig, config)`) and release() what they got. Every
// object is safe for concurrent use from any thread; clones share one state.
//
// Operations are called through the table of virtual operations, so the
// declaration order below is part of the contract: positions are counted
// from 1 over the table, IObject takes 1 to 5 (version, clone, release and
// the two destructor entries), and each interface starts at 6. Slots this
// host does not offer are declared as reserved_slot_NN and answer
// ec::kHostObjUnsupported. Never reorder, insert or remove an operation.
#ifndef FRAME_HOST_OBJECTS_H_
#define FRAME_HOST_OBJECTS_H_

#include <cstdint>
#include <ctime>
#include <string>

#include "frame/ec.h"
#include "frame/export.h"
#include "frame/fwbase.h"

namespace ec {
// Host objects, module 0x02 (the host process).
const EC kHostObjUnsupported = 0x04020011;  // a reserved operation slot
const EC kHostObjStorage = 0x04020012;      // the backing file or database failed
}  // namespace ec

// Names in the global environment.
const char* const kObjGlobalConfig = "obj.m.global.config";
const char* const kObjLogOut = "obj.m.log.out";
const char* const kObjShowWarningWindow = "obj.m.show.warning.window";

// Agent-wide settings kept in the web server settings file
// ("config/other/zelmor_config_other.xml" below the install directory).
//
// A path getter fills the stored text, or the text that stands for "not
// found yet" ("ApachePath", "NginxPath", empty for Tomcat) when the file or
// the entry is missing or unreadable; it returns true only when the value
// came from the file. A setter writes the file (creating it when missing)
// and returns false when that fails; the file is then unchanged.
class AGENT_EXPORT IObj_GlobalConfig : public fwbase::IGlobalEnv::IObject {
 public:
  virtual ec::EC reserved_slot_06() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_07() { return ec::kHostObjUnsupported; }
  // 8, 9: the agent-wide switch of system resource monitoring. On unless
  // the file says otherwise.
  virtual bool set_monitor_power(bool on) = 0;
  virtual bool get_monitor_power() = 0;
  virtual ec::EC reserved_slot_10() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_11() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_12() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_13() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_14() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_15() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_16() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_17() { return ec::kHostObjUnsupported; }
  // 18, 19: the Apache configuration directory.
  virtual bool set_apache_path(const std::string& dir) = 0;
  virtual bool get_apache_path(std::string& dir) = 0;
  virtual ec::EC reserved_slot_20() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_21() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_22() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_23() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_24() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_25() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_26() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_27() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_28() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_29() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_30() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_31() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_32() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_33() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_34() { return ec::kHostObjUnsupported; }
  // 35, 36: the Nginx install prefix.
  virtual bool set_nginx_path(const std::string& prefix) = 0;
  virtual bool get_nginx_path(std::string& prefix) = 0;
  // 37, 38: the Tomcat directory; empty when none is stored.
  virtual bool set_tomcat_path(const std::string& dir) = 0;
  virtual bool get_tomcat_path(std::string& dir) = 0;
  virtual ec::EC reserved_slot_39() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_40() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_41() { return ec::kHostObjUnsupported; }
  // 42, 43: the kind of Tomcat-based server (0 Java, 1 BitNamiServer,
  // 2 WatmServer, 3 TomcatServer, 4 WebLogic). get_tomcat_kind returns false,
  // with `kind` 0, while no kind is stored.
  virtual bool set_tomcat_kind(const int& kind) = 0;
  virtual bool get_tomcat_kind(int& kind) = 0;
};

// One anomaly record of the resource monitor, as handed to
// IObj_LogOut::write_log. Texts are GBK bytes.
struct SystemRadLog {
  std::string source;          // 1: empty in the records of the resource monitor
  std::string time_text;       // 2: local time, "%d-%02d-%02d %02d:%02d:%02d"
  std::uint32_t reserved_3 = 0;  // 3: not set by the resource monitor
  int log_type = 0;            // 4: 3 CPU, 4 memory, 5/6 network up/down, 7 disk, 8 swap
  std::uint32_t reserved_5 = 0;  // 5: not set by the resource monitor
  int limit = 0;               // 6: the limit the value was judged against
  int value = 0;               // 7: the value, in the unit of the log type
  std::string content;         // 8: the alarm text
  std::time_t report_time = 0;  // 9: seconds since the epoch
};

// Stores log records of the agent.
class AGENT_EXPORT IObj_LogOut : public fwbase::IGlobalEnv::IObject {
 public:
  virtual ec::EC reserved_slot_06() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_07() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_08() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_09() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_10() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_11() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_12() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_13() { return ec::kHostObjUnsupported; }
  virtual ec::EC reserved_slot_14() { return ec::kHostObjUnsupported; }
  // 15: stores a copy of `*log`. ec::kFwOk, ec::kFwBadArgument for null,
  // ec::kHostObjStorage when the record could not be stored.
  virtual ec::EC write_log(SystemRadLog* log) = 0;
};

// Shows a warning to the operator.
class AGENT_EXPORT IObj_ShowWarningWindow : public fwbase::IGlobalEnv::IObject {
 public:
  // 6: `time_text`, `display_type` and `text` are GBK. Returns ec::kFwOk.
  virtual ec::EC show_warning(std::string time_text, std::string display_type,
                              std::string text) = 0;
};

#endif  // FRAME_HOST_OBJECTS_H_
