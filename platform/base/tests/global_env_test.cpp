// The registry of named objects: clone semantics, failures, concurrency.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/CGlobalEnv.h"

namespace {

using fwbase::IGlobalEnv;

// A registered object that counts the live copies of its kind.
class TestObject : public IGlobalEnv::IObject {
 public:
  TestObject(int tag, std::atomic<int>* live, bool clone_fails = false)
      : tag_(tag), live_(live), clone_fails_(clone_fails) {
    ++*live_;
  }
  ~TestObject() override { --*live_; }
  int version() const override { return tag_; }
  IObject* clone() const override {
    return clone_fails_ ? nullptr : new TestObject(tag_, live_);
  }
  void release() override { delete this; }

 private:
  int tag_;
  std::atomic<int>* live_;
  bool clone_fails_;
};

TEST(GlobalEnvTest, KeepsItsOwnCloneAndHandsOutFreshOnes) {
  std::atomic<int> live(0);
  fwbase::CGlobalEnv env;
  {
    TestObject temporary(1, &live);
    ASSERT_EQ(env.register_object("obj.test", &temporary), ec::kFwOk);
  }
  EXPECT_EQ(live, 1);  // the registry's clone outlives the temporary

  IGlobalEnv::IObject* first = nullptr;
  IGlobalEnv::IObject* second = nullptr;
  ASSERT_EQ(env.query_object("obj.test", first), ec::kFwOk);
  ASSERT_EQ(env.query_object("obj.test", second), ec::kFwOk);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->version(), 1);
  EXPECT_EQ(live, 3);
  first->release();
  second->release();
  EXPECT_EQ(live, 1);

  TestObject replacement(2, &live);
  ASSERT_EQ(env.register_object("obj.test", &replacement), ec::kFwOk);
  EXPECT_EQ(live, 2);  // the replaced clone is gone
  TestObject* typed = nullptr;
  ASSERT_EQ(env.query("obj.test", typed), ec::kFwOk);
  EXPECT_EQ(typed->version(), 2);
  typed->release();

  EXPECT_EQ(env.unregister_object("obj.test"), ec::kFwOk);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(env.unregister_object("obj.test"), ec::kFwNotFound);
}

TEST(GlobalEnvTest, FailuresLeaveNoObject) {
  std::atomic<int> live(0);
  fwbase::CGlobalEnv env;
  TestObject object(1, &live);
  TestObject no_clone(2, &live, true);
  IGlobalEnv::IObject* out = &object;

  EXPECT_EQ(env.query_object("obj.absent", out), ec::kFwNotFound);
  EXPECT_EQ(out, nullptr);
  out = &object;
  EXPECT_EQ(env.query_object(nullptr, out), ec::kFwBadArgument);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(env.register_object(nullptr, &object), ec::kFwBadArgument);
  EXPECT_EQ(env.register_object("obj.test", nullptr), ec::kFwBadArgument);
  EXPECT_EQ(env.register_object("obj.test", &no_clone), ec::kFwNoMemory);
  EXPECT_EQ(env.query_object("obj.test", out), ec::kFwNotFound);
  EXPECT_EQ(env.unregister_object(nullptr), ec::kFwBadArgument);
  EXPECT_EQ(live, 2);
}

TEST(GlobalEnvTest, ReleasesWhatIsLeftWhenDestroyed) {
  std::atomic<int> live(0);
  {
    fwbase::CGlobalEnv env;
    TestObject object(1, &live);
    env.register_object("obj.a", &object);
    env.register_object("obj.b", &object);
    EXPECT_EQ(live, 3);
  }
  EXPECT_EQ(live, 0);
}

// Several threads replace one shared name and query it while others
// register names of their own; every query sees a whole object.
TEST(GlobalEnvTest, ConcurrentRegisterAndQuery) {
  std::atomic<int> live(0);
  std::atomic<int> bad(0);
  fwbase::CGlobalEnv env;
  const int kThreads = 4;
  const int kRounds = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TestObject mine(100 + t, &live);
      const std::string own_name = "obj.thread." + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        if (env.register_object("obj.shared", &mine) != ec::kFwOk) ++bad;
        if (i % 2 == 0) env.register_object(own_name.c_str(), &mine);
        else env.unregister_object(own_name.c_str());
        IGlobalEnv::IObject* found = nullptr;
        if (env.query_object("obj.shared", found) != ec::kFwOk) {
          ++bad;
          continue;
        }
        if (found->version() < 100 || found->version() >= 100 + kThreads) ++bad;
        found->release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(live, 1);  // only "obj.shared"; each thread ended with unregister
}

}  // namespace
