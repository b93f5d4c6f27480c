// Throughput of the text helpers next to the system tools doing the same
// work in the same run: the MD5 of a 256 MB file (md5sum), Base64 of 64 MB
// (base64, base64 -d), and GBK to UTF-8 of 1 MB of Chinese text.
// Prints BENCH lines; exits 1 when a tool is missing or a result differs.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "test_support/TempDir.h"
#include "utility/Base64.h"
#include "utility/CConv.h"
#include "utility/md5wrapper.h"

namespace {

typedef std::chrono::steady_clock Clock;

const std::size_t kMiB = 1 << 20;
const std::size_t kMd5FileSize = 256 * kMiB;
const std::size_t kBase64Size = 64 * kMiB;
const std::size_t kChineseSize = 1 * kMiB;
const int kRounds = 3;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best wall time of kRounds runs of `work`.
double best_time(const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < kRounds; ++i) {
    Clock::time_point start = Clock::now();
    work();
    best = std::min(best, seconds_since(start));
  }
  return best;
}

void report(const char* name, double value, const char* unit) {
  std::printf("BENCH %s %.1f %s\n", name, value, unit);
  std::fflush(stdout);
}

// Full path of `name` on PATH, or "" when it is not there.
std::string find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

// Runs `program` with `args` (no shell), its output going to `out_path`.
bool run(const std::string& program, const std::vector<std::string>& args,
         const std::string& out_path) {
  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(&name[0]);
  std::vector<std::string> copies(args);
  for (std::string& arg : copies) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    int fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0) ::_exit(126);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool write_file(const std::string& path, const std::string& data) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
  return std::fclose(file) == 0 && ok;
}

// Deterministic bytes that do not compress to nothing.
void fill_pseudo_random(std::string& data, unsigned long long seed) {
  for (std::size_t i = 0; i + 8 <= data.size(); i += 8) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    for (int k = 0; k < 8; ++k) data[i + k] = static_cast<char>(seed >> (8 * k));
  }
}

bool bench_md5(const test_support::TempDir& dir) {
  std::string md5sum = find_program("md5sum");
  if (md5sum.empty()) return false;
  std::string path = dir.file("md5.bin");
  {
    std::string chunk(kMiB, '\0');
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    for (std::size_t i = 0; i < kMd5FileSize / kMiB; ++i) {
      fill_pseudo_random(chunk, 88172645463325252ULL + i);
      std::fwrite(chunk.data(), 1, chunk.size(), file);
    }
    if (std::fclose(file) != 0) return false;
  }
  utility::md5wrapper md5;
  std::string ours;
  bool tool_ok = run(md5sum, {path}, dir.file("md5sum.out"));  // also warms the page cache
  double tool_time = best_time([&] { tool_ok = tool_ok && run(md5sum, {path}, dir.file("md5sum.out")); });
  double our_time = best_time([&] { ours = md5.getHashFromFile(path); });
  std::string theirs = test_support::read_file(dir.file("md5sum.out")).substr(0, 32);
  if (!tool_ok || theirs != ours) {
    std::fprintf(stderr, "md5 differs: ours %s, md5sum %s\n", ours.c_str(), theirs.c_str());
    return false;
  }
  double mb = kMd5FileSize / double(kMiB);
  report("md5wrapper_file_256MB", mb / our_time, "MB/s");
  report("md5sum_file_256MB", mb / tool_time, "MB/s");
  report("md5wrapper_vs_md5sum", 100.0 * tool_time / our_time, "%");
  ::unlink(path.c_str());
  return true;
}

bool bench_base64(const test_support::TempDir& dir) {
  std::string base64 = find_program("base64");
  if (base64.empty()) return false;
  std::string data(kBase64Size, '\0');
  fill_pseudo_random(data, 0x9E3779B97F4A7C15ULL);
  std::string data_path = dir.file("b64.bin");
  std::string text_path = dir.file("b64.txt");
  std::string back_path = dir.file("b64.back");
  if (!write_file(data_path, data)) return false;

  std::string text, decoded;
  double encode_time = best_time([&] { text = utility::Base64::encode(data); });
  double decode_time = best_time([&] { decoded = utility::Base64::decode(text); });
  double encode_file_time = best_time([&] {
    write_file(text_path, utility::Base64::encode(test_support::read_file(data_path)));
  });
  double decode_file_time = best_time([&] {
    write_file(back_path, utility::Base64::decode(test_support::read_file(text_path)));
  });
  bool tool_ok = true;
  double tool_encode_time =
      best_time([&] { tool_ok = tool_ok && run(base64, {"-w", "0", data_path}, text_path); });
  double tool_decode_time =
      best_time([&] { tool_ok = tool_ok && run(base64, {"-d", text_path}, back_path); });
  if (!tool_ok || decoded != data || test_support::read_file(text_path) != text ||
      test_support::read_file(back_path) != data) {
    std::fprintf(stderr, "base64 results differ\n");
    return false;
  }
  double mb = kBase64Size / double(kMiB);
  report("base64_encode_64MB", mb / encode_time, "MB/s");
  report("base64_encode_file_64MB", mb / encode_file_time, "MB/s");
  report("coreutils_base64_encode_64MB", mb / tool_encode_time, "MB/s");
  report("base64_decode_64MB", mb / decode_time, "MB/s");
  report("base64_decode_file_64MB", mb / decode_file_time, "MB/s");
  report("coreutils_base64_decode_64MB", mb / tool_decode_time, "MB/s");
  for (const std::string& path : {data_path, text_path, back_path}) ::unlink(path.c_str());
  return true;
}

bool bench_gbk() {
  const char kSentence[] = u8"检测到异常登录，来源地址 10.0.0.8；磁盘使用率超过阈值。";
  std::string sentence = utility::CConv::utf8_to_gbk_string(kSentence);
  if (sentence.empty()) return false;
  std::string gbk;
  while (gbk.size() + sentence.size() <= kChineseSize) gbk += sentence;
  std::size_t converted = 0;
  int calls = 0;
  Clock::time_point start = Clock::now();
  do {
    converted += utility::CConv::gbk_to_utf8_string(gbk.c_str()).size();
    ++calls;
  } while (seconds_since(start) < 1.0);
  double elapsed = seconds_since(start);
  if (converted == 0) return false;
  report("gbk_to_utf8_string_1MB", calls * (gbk.size() / double(kMiB)) / elapsed, "MB/s");
  return true;
}

}  // namespace

int main() {
  test_support::TempDir dir;
  bool ok = bench_gbk();
  ok = bench_base64(dir) && ok;
  ok = bench_md5(dir) && ok;
  return ok ? 0 : 1;
}
