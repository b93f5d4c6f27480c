#include "TempDir.h"

#include <ftw.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace test_support {

namespace {

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
  ::remove(path);
  return 0;
}

}  // namespace

TempDir::TempDir(bool enter) {
  const char* base = ::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/agent-test-XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  if (enter) {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) throw std::runtime_error("getcwd failed");
    previous_cwd_ = cwd;
    if (::chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
  }
}

TempDir::~TempDir() {
  if (!previous_cwd_.empty() && ::chdir(previous_cwd_.c_str()) != 0) {
    std::perror("TempDir: chdir back");
  }
  ::nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempDir::file(const std::string& relative) const { return path_ + "/" + relative; }

void TempDir::make_dirs(const std::string& relative) const {
  std::string full = path_;
  std::stringstream parts(relative);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty()) continue;
    full += "/" + part;
    ::mkdir(full.c_str(), 0755);
  }
}

void TempDir::write(const std::string& relative, const std::string& content) const {
  std::string::size_type slash = relative.rfind('/');
  if (slash != std::string::npos) make_dirs(relative.substr(0, slash));
  std::ofstream out(file(relative), std::ios::binary | std::ios::trunc);
  out << content;
}

std::string TempDir::read(const std::string& relative) const { return read_file(file(relative)); }

bool TempDir::exists(const std::string& relative) const {
  struct stat st;
  return ::lstat(file(relative).c_str(), &st) == 0;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace test_support
