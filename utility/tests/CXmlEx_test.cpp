// The one-call XML helpers on the agent's own settings file, holding GBK
// texts, and on broken or missing files.
#include "utility/CXmlEx.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace {

using test_support::TempDir;
using utility::CXmlEx;

const char kSettings[] = "config/other/zelmor_config_other.xml";
const char kAgentConfig[] =
    "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
    "<Data>\n"
    "  <var name=\"cloud_center\" value=\"中心.example:443\"/>\n"
    "  <var name=\"upload_log\" value=\"0\" note=\"上传日志\"/>\n"
    "</Data>\n";

// The inode changes exactly when a save replaced the file.
ino_t inode_of(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Writes beyond `bytes` fail from then on, as on a full disk.
void limit_file_size(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = {bytes, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

class CXmlExTest : public ::testing::Test {
 protected:
  CXmlExTest() {
    dir_.write(kSettings,
               test_support::read_file(std::string(AGENT_SOURCE_DIR) + "/dist/" + kSettings));
    dir_.write("config.xml", kAgentConfig);
    dir_.write("broken.xml", "<config><apache_path>x</apache_path>");
  }
  std::string settings() const { return dir_.file(kSettings); }

  TempDir dir_;
};

TEST_F(CXmlExTest, ReadsTextsAndAttributes) {
  struct Row {
    const char* file;
    const char* xpath;
    const char* attribute;  // null: the text
    bool found;
    const char* expected;
  } rows[] = {
      {kSettings, "//config/nginx_path", nullptr, true, "NginxPath"},
      {kSettings, "//config/tomcat_path", nullptr, true, ""},
      {kSettings, "//config/missing", nullptr, false, "before"},
      {"config.xml", "//Data/var[@name='cloud_center']", "value", true, "中心.example:443"},
      {"config.xml", "//Data/var[@name='upload_log']", "note", true, "上传日志"},
      {"config.xml", "//Data/var[@name='upload_log']", "absent", true, ""},
      {"config.xml", "//Data/var[@name='nothing']", "value", false, "before"},
      {"config.xml", "//Data/var[", "value", false, "before"},
      {"missing.xml", "//config/nginx_path", nullptr, false, "before"},
      {"missing.xml", "//Data/var", "value", false, "before"},
      {"broken.xml", "//config/apache_path", nullptr, false, "before"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " " + row.xpath);
    std::string out = "before";
    bool found =
        row.attribute == nullptr
            ? CXmlEx::read_xml_node(dir_.file(row.file), row.xpath, out)
            : CXmlEx::read_xml_attribute(dir_.file(row.file), row.xpath, row.attribute, out);
    EXPECT_EQ(row.found, found);
    EXPECT_EQ(row.expected, out);
  }
}

TEST_F(CXmlExTest, WritesGbkValuesIntoTheFile) {
  ASSERT_TRUE(CXmlEx::write_xml_node(settings(), "//config/apache_path", "/opt/网站/apache"));
  ASSERT_TRUE(CXmlEx::write_xml_attribute(dir_.file("config.xml"),
                                          "//Data/var[@name='cloud_center']", "value", "新中心"));
  std::string original =
      test_support::read_file(std::string(AGENT_SOURCE_DIR) + "/dist/" + kSettings);
  original.replace(original.find("ApachePath"), 10, "/opt/网站/apache");
  EXPECT_EQ(original, dir_.read(kSettings)) << "only the value changed";
  std::string config = kAgentConfig;
  config.replace(config.find("中心.example:443"), std::string("中心.example:443").size(), "新中心");
  EXPECT_EQ(config, dir_.read("config.xml"));
}

TEST_F(CXmlExTest, WritesThatFindNothingLeaveTheFileAlone) {
  ino_t before = inode_of(settings());
  EXPECT_FALSE(CXmlEx::write_xml_node(settings(), "//config/missing", "x"));
  EXPECT_FALSE(CXmlEx::write_xml_attribute(settings(), "//config/missing", "a", "x"));
  EXPECT_FALSE(CXmlEx::write_xml_node(dir_.file("broken.xml"), "//config/apache_path", "x"));
  EXPECT_FALSE(CXmlEx::write_xml_node(dir_.file("missing.xml"), "//config", "x"));
  EXPECT_EQ(before, inode_of(settings()));
  EXPECT_EQ("<config><apache_path>x</apache_path>", dir_.read("broken.xml"));
  EXPECT_FALSE(dir_.exists("missing.xml"));
}

TEST_F(CXmlExTest, WriteOfTheSameValueStillSaves) {
  ino_t before = inode_of(dir_.file("config.xml"));
  EXPECT_TRUE(CXmlEx::write_xml_attribute(dir_.file("config.xml"), "//Data/var[@name='upload_log']",
                                          "value", "0"));
  EXPECT_NE(before, inode_of(dir_.file("config.xml")));
  EXPECT_EQ(kAgentConfig, dir_.read("config.xml"));
}

// A disk that fills up during the save: false, and the file stays whole.
TEST_F(CXmlExTest, WriteThatCannotSaveFails) {
  EXPECT_EXIT(
      {
        limit_file_size(64);
        bool written =
            CXmlEx::write_xml_attribute(dir_.file("config.xml"), "//Data/var", "value", "1");
        ::_exit(written ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(kAgentConfig, dir_.read("config.xml"));
}

TEST_F(CXmlExTest, AddsOneMissingElementOnce) {
  std::string with_nginx_path = dir_.read(kSettings);
  // The template holds nginx_path; take it out to add it back.
  std::string line = "  <nginx_path>NginxPath</nginx_path>\n";
  std::string without = with_nginx_path;
  without.erase(without.find(line), line.size());
  dir_.write(kSettings, without);

  EXPECT_TRUE(CXmlEx::add_xml_xpath_node(settings(), "//config/nginx_path"));
  std::string expected = without;
  expected.insert(expected.find("</config>"), "  <nginx_path/>\n");
  EXPECT_EQ(expected, dir_.read(kSettings));

  ino_t after_first = inode_of(settings());
  EXPECT_TRUE(CXmlEx::add_xml_xpath_node(settings(), "//config/nginx_path"));
  EXPECT_EQ(after_first, inode_of(settings())) << "the second call saves nothing";
  std::string text = "x";
  EXPECT_TRUE(CXmlEx::read_xml_node(settings(), "//config/nginx_path", text));
  EXPECT_EQ("", text);
}

TEST_F(CXmlExTest, AddNeedsAnExistingParentAndAPlainName) {
  const char* xpaths[] = {"//config/missing/php_path", "//php_path", "php_path",
                          "//config/var[@name='x']", "//config/"};
  ino_t before = inode_of(settings());
  for (const char* xpath : xpaths) {
    SCOPED_TRACE(xpath);
    EXPECT_FALSE(CXmlEx::add_xml_xpath_node(settings(), xpath));
  }
  EXPECT_EQ(before, inode_of(settings()));
  EXPECT_TRUE(CXmlEx::add_xml_xpath_node(dir_.file("missing.xml"), "//config/a"));
  EXPECT_FALSE(dir_.exists("missing.xml"));
  EXPECT_TRUE(CXmlEx::add_xml_xpath_node(dir_.file("broken.xml"), "//config/a"));
}

}  // namespace
