// The built plug-in exports its entry and nothing else.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <string>

#include "frame/rpc.h"
#include "test_support/test_paths.h"

namespace {

const char kPlugin[] = AGENT_LIB_DIR "/libip_blacklist_linux.so";

std::set<std::string> defined_dynamic_symbols() {
  std::set<std::string> names;
  FILE* pipe = ::popen("nm -D --defined-only '" AGENT_LIB_DIR "/libip_blacklist_linux.so'", "r");
  if (pipe == nullptr) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char type = 0;
    char name[900] = {0};
    if (std::sscanf(line, "%*s %c %899s", &type, name) == 2) names.insert(name);
  }
  ::pclose(pipe);
  return names;
}

TEST(PluginExportTest, OnlyTheEntryIsExportedAndItHandsOutOneRealization) {
  struct stat info;
  if (::stat(kPlugin, &info) != 0) GTEST_SKIP() << kPlugin << " is not built";
  EXPECT_EQ(std::set<std::string>{"rpc_ireal_IIpBlackListManager"}, defined_dynamic_symbols());

  void* handle = ::dlopen(kPlugin, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(nullptr, handle) << ::dlerror();
  typedef rpc::IIfaceRealize* (*Entry)();
  Entry entry = reinterpret_cast<Entry>(::dlsym(handle, "rpc_ireal_IIpBlackListManager"));
  ASSERT_NE(nullptr, entry) << ::dlerror();
  rpc::IIfaceRealize* realize = entry();
  EXPECT_NE(nullptr, realize);
  EXPECT_EQ(realize, entry());
  ::dlclose(handle);
}

}  // namespace
