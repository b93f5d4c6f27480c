// A pause of some seconds that its owner can end early for every thread
// pausing on it, e.g. to stop worker threads at once.
//
// To wake every sleeper and make every later sleep return at once, the
// owner does, in this order:
//   sleeper.mutex.acquire();
//   sleeper.stop_flag = true;
//   sleeper.condition.broadcast();
//   sleeper.mutex.release();
// A thread that checked the flag just before it was set is then already
// waiting under the mutex and is woken by that broadcast.
//
// Thread safety: any number of threads may sleep on one object at once.
// stop_flag is written under `mutex` and read without it (it is atomic).
#ifndef UTILITY_CONDITIONSLEEP_H_
#define UTILITY_CONDITIONSLEEP_H_

#include <ace/Condition_Thread_Mutex.h>
#include <ace/Guard_T.h>
#include <ace/Thread_Mutex.h>
#include <ace/Time_Value.h>
#include <sys/time.h>

#include <atomic>
#include <ctime>
#include <limits>

namespace utility {

class ConditionSleep {
 public:
  ConditionSleep() : stop_flag(false), mutex(), condition(mutex) {}
  ConditionSleep(const ConditionSleep&) = delete;
  ConditionSleep& operator=(const ConditionSleep&) = delete;

  // Waits up to `seconds` (0 or less: no wait). Returns 0 when the
  // condition was signalled or broadcast before the time ran out, -1 when
  // the time ran out or stop_flag was already set.
  int sleep(long seconds) {
    if (stop_flag) return -1;
    ACE_Guard<ACE_Thread_Mutex> guard(mutex);
    ACE_Time_Value deadline = deadline_after(seconds);
    return condition.wait(&deadline);
  }

  std::atomic<bool> stop_flag;           // once set, every later sleep returns -1 at once
  ACE_Thread_Mutex mutex;                // guards the condition waits
  ACE_Condition_Thread_Mutex condition;  // broadcast by the owner to end every pause

 private:
  // The time of day `seconds` from now, kept within the range of time_t.
  static ACE_Time_Value deadline_after(long seconds) {
    timeval now;
    if (::gettimeofday(&now, nullptr) != 0) {
      now.tv_sec = -1;
      now.tv_usec = 0;
    }
    static_assert(sizeof(time_t) >= sizeof(long), "a long number of seconds fits in time_t");
    const time_t latest = std::numeric_limits<time_t>::max() - 1;
    time_t wait = seconds > 0 ? static_cast<time_t>(seconds) : 0;
    time_t sec = now.tv_sec > latest - wait ? latest : now.tv_sec + wait;
    return ACE_Time_Value(sec, now.tv_usec);  // normalises the microseconds
  }
};

}  // namespace utility

#endif  // UTILITY_CONDITIONSLEEP_H_
