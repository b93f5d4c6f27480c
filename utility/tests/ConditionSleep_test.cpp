#include "utility/ConditionSleep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>
#include <vector>

namespace {

using utility::ConditionSleep;

void broadcast(ConditionSleep& sleeper, bool stop) {
  ACE_Guard<ACE_Thread_Mutex> guard(sleeper.mutex);
  if (stop) sleeper.stop_flag = true;
  sleeper.condition.broadcast();
}

// Starts one sleeping thread per entry of `seconds` and broadcasts (setting
// the stop flag when `stop`) until every thread has returned; gives each
// thread's result.
std::vector<int> wake_sleepers(ConditionSleep& sleeper, const std::vector<long>& seconds,
                               bool stop) {
  std::vector<int> results(seconds.size(), 99);
  std::atomic<std::size_t> started(0);
  std::atomic<std::size_t> finished(0);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seconds.size(); ++i) {
    threads.emplace_back([&, i] {
      ++started;
      results[i] = sleeper.sleep(seconds[i]);
      ++finished;
    });
  }
  while (started < seconds.size()) std::this_thread::yield();
  // A thread not yet waiting misses a broadcast; the next one reaches it.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (int round = 0; finished < seconds.size() && round < 6000; ++round) {
    broadcast(sleeper, stop);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (std::thread& thread : threads) thread.join();
  return results;
}

TEST(ConditionSleepTest, TimesOutWithMinusOne) {
  ConditionSleep sleeper;
  for (long seconds : {0L, -5L, LONG_MIN}) {
    EXPECT_EQ(-1, sleeper.sleep(seconds)) << seconds;
  }
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(-1, sleeper.sleep(1));
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(900));
}

TEST(ConditionSleepTest, BroadcastWakesEverySleeperWithZero) {
  ConditionSleep sleeper;
  // LONG_MAX must not wrap the deadline into the past.
  std::vector<long> seconds = {600, 600, 3600, LONG_MAX};
  for (int result : wake_sleepers(sleeper, seconds, false)) EXPECT_EQ(0, result);
  EXPECT_FALSE(sleeper.stop_flag);
}

TEST(ConditionSleepTest, StopWakesSleepersAndEndsLaterSleepsAtOnce) {
  ConditionSleep sleeper;
  for (int result : wake_sleepers(sleeper, {600, 600, 600}, true)) {
    // 0 when woken in the wait, -1 for a thread that saw the flag first.
    EXPECT_TRUE(result == 0 || result == -1) << result;
  }
  // A wait here would outlast the test's time limit.
  EXPECT_EQ(-1, sleeper.sleep(LONG_MAX));
  EXPECT_EQ(-1, sleeper.sleep(3600));
}

}  // namespace
