// A unique temporary directory for one test, deleted with its content when
// the object goes. Optionally the test's working directory while it lives.
#ifndef TEST_SUPPORT_TEMPDIR_H_
#define TEST_SUPPORT_TEMPDIR_H_

#include <string>

namespace test_support {

class TempDir {
 public:
  // Creates /tmp/agent-test-XXXXXX (or below $TMPDIR). With `enter`, also
  // changes into it and changes back on destruction.
  explicit TempDir(bool enter = false);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string file(const std::string& relative) const;

  // Creates the directories of `relative` below path().
  void make_dirs(const std::string& relative) const;
  // Writes `content` to `relative`, creating its directories.
  void write(const std::string& relative, const std::string& content) const;
  // The file's content; empty when it cannot be read.
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;

 private:
  std::string path_;
  std::string previous_cwd_;
};

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace test_support

#endif  // TEST_SUPPORT_TEMPDIR_H_
