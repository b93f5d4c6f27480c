// Plug-ins call the host objects through fixed positions of their virtual
// tables. The positions are read from pointer-to-member values: in the
// Itanium ABI a virtual member pointer holds 1 + its byte offset in the table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "frame/host_objects.h"
#include "host/objects/CGlobalConfig.h"
#include "host/objects/CLogOut.h"

namespace {

// Counted from 1; 0 when `member` is not virtual.
template <class Member>
std::size_t position_of(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t), "Itanium member pointer");
  std::ptrdiff_t raw[2];
  std::memcpy(raw, &member, sizeof(raw));
  if ((raw[0] & 1) == 0) return 0;
  return static_cast<std::size_t>(raw[0] - 1) / sizeof(void*) + 1;
}

struct Named {
  const char* name;
  std::size_t position;
  std::size_t expected;
};

TEST(VtablePositions, NamedOperationsSitWhereThePluginsCallThem) {
  const Named rows[] = {
      {"IObject::version", position_of(&fwbase::IGlobalEnv::IObject::version), 1},
      {"IObject::release", position_of(&fwbase::IGlobalEnv::IObject::release), 3},
      {"set_monitor_power", position_of(&IObj_GlobalConfig::set_monitor_power), 8},
      {"get_monitor_power", position_of(&IObj_GlobalConfig::get_monitor_power), 9},
      {"set_apache_path", position_of(&IObj_GlobalConfig::set_apache_path), 18},
      {"get_apache_path", position_of(&IObj_GlobalConfig::get_apache_path), 19},
      {"set_nginx_path", position_of(&IObj_GlobalConfig::set_nginx_path), 35},
      {"get_nginx_path", position_of(&IObj_GlobalConfig::get_nginx_path), 36},
      {"set_tomcat_path", position_of(&IObj_GlobalConfig::set_tomcat_path), 37},
      {"get_tomcat_path", position_of(&IObj_GlobalConfig::get_tomcat_path), 38},
      {"set_tomcat_kind", position_of(&IObj_GlobalConfig::set_tomcat_kind), 42},
      {"get_tomcat_kind", position_of(&IObj_GlobalConfig::get_tomcat_kind), 43},
      {"write_log", position_of(&IObj_LogOut::write_log), 15},
      {"show_warning", position_of(&IObj_ShowWarningWindow::show_warning), 6},
  };
  for (const Named& row : rows) EXPECT_EQ(row.expected, row.position) << row.name;
}

typedef ec::EC (IObj_GlobalConfig::*ConfigSlot)();
typedef ec::EC (IObj_LogOut::*LogSlot)();

// Every slot from 6 to `last` is taken exactly once by a named operation
// or a reserved one, and every reserved one answers a failure.
template <class Object, class Slot>
void expect_slots_filled(Object& object, const std::vector<Slot>& reserved,
                         const std::set<std::size_t>& named, std::size_t last) {
  std::multiset<std::size_t> taken(named.begin(), named.end());
  for (Slot slot : reserved) {
    taken.insert(position_of(slot));
    EXPECT_EQ(ec::kHostObjUnsupported, (object.*slot)()) << "slot " << position_of(slot);
  }
  std::multiset<std::size_t> expected;
  for (std::size_t position = 6; position <= last; ++position) expected.insert(position);
  EXPECT_EQ(expected, taken);
}

TEST(VtablePositions, GlobalConfigHasNoGapsAndReservedSlotsFail) {
  host::CGlobalConfig config(std::make_shared<host::CSettingsFile>("/nonexistent", ""));
  const std::vector<ConfigSlot> reserved = {
      &IObj_GlobalConfig::reserved_slot_06, &IObj_GlobalConfig::reserved_slot_07,
      &IObj_GlobalConfig::reserved_slot_10, &IObj_GlobalConfig::reserved_slot_11,
      &IObj_GlobalConfig::reserved_slot_12, &IObj_GlobalConfig::reserved_slot_13,
      &IObj_GlobalConfig::reserved_slot_14, &IObj_GlobalConfig::reserved_slot_15,
      &IObj_GlobalConfig::reserved_slot_16, &IObj_GlobalConfig::reserved_slot_17,
      &IObj_GlobalConfig::reserved_slot_20, &IObj_GlobalConfig::reserved_slot_21,
      &IObj_GlobalConfig::reserved_slot_22, &IObj_GlobalConfig::reserved_slot_23,
      &IObj_GlobalConfig::reserved_slot_24, &IObj_GlobalConfig::reserved_slot_25,
      &IObj_GlobalConfig::reserved_slot_26, &IObj_GlobalConfig::reserved_slot_27,
      &IObj_GlobalConfig::reserved_slot_28, &IObj_GlobalConfig::reserved_slot_29,
      &IObj_GlobalConfig::reserved_slot_30, &IObj_GlobalConfig::reserved_slot_31,
      &IObj_GlobalConfig::reserved_slot_32, &IObj_GlobalConfig::reserved_slot_33,
      &IObj_GlobalConfig::reserved_slot_34, &IObj_GlobalConfig::reserved_slot_39,
      &IObj_GlobalConfig::reserved_slot_40, &IObj_GlobalConfig::reserved_slot_41,
  };
  expect_slots_filled<IObj_GlobalConfig>(config, reserved,
                                         {8, 9, 18, 19, 35, 36, 37, 38, 42, 43}, 43);
}

TEST(VtablePositions, LogOutHasNoGapsAndReservedSlotsFail) {
  host::CLogOut log_out(std::make_shared<host::CLogStore>("/nonexistent/db"));
  const std::vector<LogSlot> reserved = {
      &IObj_LogOut::reserved_slot_06, &IObj_LogOut::reserved_slot_07,
      &IObj_LogOut::reserved_slot_08, &IObj_LogOut::reserved_slot_09,
      &IObj_LogOut::reserved_slot_10, &IObj_LogOut::reserved_slot_11,
      &IObj_LogOut::reserved_slot_12, &IObj_LogOut::reserved_slot_13,
      &IObj_LogOut::reserved_slot_14,
  };
  expect_slots_filled<IObj_LogOut>(log_out, reserved, {15}, 15);
}

}  // namespace
