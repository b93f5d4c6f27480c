#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "frame/host_objects.h"
#include "host/objects/CShowWarningWindow.h"
#include "host/objects/host_objects.h"
#include "host/objects/CLogStore.h"
#include "platform/base/CGlobalEnv.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"

namespace {

// Releases an object obtained from the registry.
struct Releaser {
  void operator()(fwbase::IGlobalEnv::IObject* object) const { object->release(); }
};
template <class T>
using Held = std::unique_ptr<T, Releaser>;

template <class T>
Held<T> query(fwbase::IGlobalEnv& env, const char* name) {
  T* object = nullptr;
  EXPECT_EQ(ec::kFwOk, env.query(name, object)) << name;
  return Held<T>(object);
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.make_dirs("runlog");
    ASSERT_EQ(ec::kFwOk, host::register_host_objects(env_, dir_.path()));
  }
  void TearDown() override { host::unregister_host_objects(env_); }

  test_support::TempDir dir_;
  test_support::RunLogCapture log_;
  fwbase::CGlobalEnv env_;
};

TEST_F(RegistrationTest, ObjectsWorkOnTheInstallDirectory) {
  Held<IObj_GlobalConfig> config = query<IObj_GlobalConfig>(env_, kObjGlobalConfig);
  ASSERT_TRUE(config->set_tomcat_path("/opt/tomcat"));
  EXPECT_TRUE(dir_.exists("config/other/zelmor_config_other.xml"));

  Held<IObj_LogOut> log_out = query<IObj_LogOut>(env_, kObjLogOut);
  SystemRadLog log;
  log.log_type = 7;
  ASSERT_EQ(ec::kFwOk, log_out->write_log(&log));
  std::vector<host::StoredLogRecord> records;
  ASSERT_TRUE(host::read_log_records(host::log_database_path(dir_.path()), 5, records));
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ(7, records[0].log.log_type);

  EXPECT_TRUE(query<IObj_ShowWarningWindow>(env_, kObjShowWarningWindow));
}

TEST_F(RegistrationTest, ClonesOutliveUnregistration) {
  Held<IObj_GlobalConfig> config = query<IObj_GlobalConfig>(env_, kObjGlobalConfig);
  host::unregister_host_objects(env_);
  IObj_GlobalConfig* missing = nullptr;
  EXPECT_EQ(ec::kFwNotFound, env_.query(kObjGlobalConfig, missing));
  EXPECT_TRUE(config->set_nginx_path("/opt/nginx"));
  std::string prefix;
  EXPECT_TRUE(config->get_nginx_path(prefix));
  EXPECT_EQ("/opt/nginx", prefix);
}

// Each thread rewrites its own entry through its own clone. Clones that did
// not share one lock would lose entries in the read-modify-write of the file.
TEST_F(RegistrationTest, ConcurrentSettersThroughClonesLoseNothing) {
  const int kRounds = 40;
  typedef bool (*Setter)(IObj_GlobalConfig&, int);
  const Setter setters[] = {
      [](IObj_GlobalConfig& c, int i) { return c.set_apache_path("/a" + std::to_string(i)); },
      [](IObj_GlobalConfig& c, int i) { return c.set_nginx_path("/n" + std::to_string(i)); },
      [](IObj_GlobalConfig& c, int i) { return c.set_tomcat_path("/t" + std::to_string(i)); },
      [](IObj_GlobalConfig& c, int i) { return c.set_tomcat_kind(i); },
      [](IObj_GlobalConfig& c, int i) { return c.set_monitor_power(i % 2 == 0); },
  };
  std::vector<std::thread> threads;
  for (Setter setter : setters) {
    threads.emplace_back([this, setter] {
      Held<IObj_GlobalConfig> mine = query<IObj_GlobalConfig>(env_, kObjGlobalConfig);
      for (int i = 1; i <= kRounds; ++i) EXPECT_TRUE(setter(*mine, i));
    });
  }
  for (std::thread& thread : threads) thread.join();

  Held<IObj_GlobalConfig> config = query<IObj_GlobalConfig>(env_, kObjGlobalConfig);
  std::string apache, nginx, tomcat;
  int kind = 0;
  config->get_apache_path(apache);
  config->get_nginx_path(nginx);
  config->get_tomcat_path(tomcat);
  config->get_tomcat_kind(kind);
  EXPECT_EQ("/a40", apache);
  EXPECT_EQ("/n40", nginx);
  EXPECT_EQ("/t40", tomcat);
  EXPECT_EQ(kRounds, kind);
  EXPECT_TRUE(config->get_monitor_power());
}

TEST_F(RegistrationTest, ConcurrentLogWritersThroughClonesStoreEveryRecord) {
  const int kThreads = 4, kEach = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      Held<IObj_LogOut> mine = query<IObj_LogOut>(env_, kObjLogOut);
      for (int i = 0; i < kEach; ++i) {
        SystemRadLog log;
        log.value = t * 1000 + i;
        EXPECT_EQ(ec::kFwOk, mine->write_log(&log));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::vector<host::StoredLogRecord> records;
  ASSERT_TRUE(host::read_log_records(host::log_database_path(dir_.path()), 1000, records));
  std::set<int> values;
  for (const host::StoredLogRecord& record : records) values.insert(record.log.value);
  EXPECT_EQ(static_cast<std::size_t>(kThreads * kEach), values.size());
}

TEST(WarningWindowThreads, LinesFromManyThreadsStayWhole) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(nullptr, out);
  const int kThreads = 4, kEach = 50;
  {
    host::CShowWarningWindow window(std::make_shared<host::CWarningPrinter>(out, false));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&window] {
        Held<IObj_ShowWarningWindow> mine(static_cast<IObj_ShowWarningWindow*>(window.clone()));
        for (int i = 0; i < kEach; ++i)
          mine->show_warning("2024-01-01 00:00:00", "CPU监控", std::string(200, 'x'));
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  std::rewind(out);
  const std::string expected =
      std::string(u8"agent_host: warning [CPU监控] 2024-01-01 00:00:00 ") +
      std::string(200, 'x') + "\n";
  char line[1024];
  int lines = 0;
  while (std::fgets(line, sizeof(line), out) != nullptr) {
    EXPECT_EQ(expected, line);
    ++lines;
  }
  std::fclose(out);
  EXPECT_EQ(kThreads * kEach, lines);
}

}  // namespace
