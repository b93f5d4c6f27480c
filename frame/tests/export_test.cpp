// A plug-in exports its entry and nothing else, and the entry always hands
// out the same realization.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "frame/rpc.h"
#include "test_support/test_paths.h"

namespace {

const char kPlugin[] = AGENT_LIB_DIR "/libtest_iface_linux.so";

std::set<std::string> defined_dynamic_symbols(const std::string& path) {
  std::set<std::string> names;
  std::string command = "nm -D --defined-only '" + path + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char type = 0;
    char name[900] = {0};
    if (std::sscanf(line, "%*s %c %899s", &type, name) == 2 && (type == 'T' || type == 'D' ||
                                                                 type == 'B' || type == 'V' ||
                                                                 type == 'W' || type == 'u'))
      names.insert(name);
  }
  ::pclose(pipe);
  return names;
}

TEST(ExportTest, EntryReturnsTheSameObjectEveryTime) {
  void* handle = ::dlopen(kPlugin, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, handle) << ::dlerror();
  typedef rpc::IIfaceRealize* (*Entry)();
  Entry entry = reinterpret_cast<Entry>(::dlsym(handle, "rpc_ireal_ITestIface"));
  ASSERT_NE(nullptr, entry) << ::dlerror();
  rpc::IIfaceRealize* first = entry();
  EXPECT_NE(nullptr, first);
  EXPECT_EQ(first, entry());
  ::dlclose(handle);
}

TEST(ExportTest, OnlyTheEntryIsExported) {
  std::set<std::string> names = defined_dynamic_symbols(kPlugin);
  ASSERT_FALSE(names.empty()) << "nm found nothing in " << kPlugin;
  EXPECT_EQ(std::set<std::string>{"rpc_ireal_ITestIface"}, names);
}

TEST(ExportTest, EveryBuiltLibraryLoads) {
  DIR* dir = ::opendir(AGENT_LIB_DIR);
  ASSERT_NE(nullptr, dir);
  int libraries = 0;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() < 3 || name.compare(name.size() - 3, 3, ".so") != 0) continue;
    ++libraries;
    std::string path = std::string(AGENT_LIB_DIR) + "/" + name;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(nullptr, handle) << name << ": " << ::dlerror();
    if (handle != nullptr) ::dlclose(handle);
  }
  ::closedir(dir);
  EXPECT_GT(libraries, 0);
}

}  // namespace
