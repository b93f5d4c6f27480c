// The blacklist tests run in an IPC namespace of their own, so the intake
// queue they create and remove is never the machine's.
#include <gtest/gtest.h>
#include <sched.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ip_blacklist/tests/BlacklistTest.h"

namespace blacklist_test {
bool g_private_ipc = false;
}

int main(int argc, char** argv) {
  blacklist_test::g_private_ipc = ::unshare(CLONE_NEWIPC) == 0;
  if (!blacklist_test::g_private_ipc)
    std::fprintf(stderr,
                 "unshare(CLONE_NEWIPC) refused (%s): the message queue tests are skipped\n",
                 std::strerror(errno));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
