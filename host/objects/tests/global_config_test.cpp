#include <dirent.h>
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "host/objects/CGlobalConfig.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace {

const char kSettings[] = "config/other/zelmor_config_other.xml";

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) return names;
  while (dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(listing);
  return names;
}

std::string text_of(const std::string& document, const char* xpath) {
  pugi::xml_document parsed;
  parsed.load_string(document.c_str());
  return parsed.select_node(xpath).node().text().get();
}

class GlobalConfigTest : public ::testing::Test {
 protected:
  test_support::TempDir dir_;
  test_support::RunLogCapture log_;
  host::CGlobalConfig config_ = host::CGlobalConfig::for_install_dir(dir_.path());
};

TEST_F(GlobalConfigTest, MissingFileGivesWhatStandsForNotFound) {
  std::string apache = "x", nginx = "x", tomcat = "x";
  int kind = 7;
  EXPECT_FALSE(config_.get_apache_path(apache));
  EXPECT_FALSE(config_.get_nginx_path(nginx));
  EXPECT_FALSE(config_.get_tomcat_path(tomcat));
  EXPECT_FALSE(config_.get_tomcat_kind(kind));
  EXPECT_EQ("ApachePath", apache);
  EXPECT_EQ("NginxPath", nginx);
  EXPECT_EQ("", tomcat);
  EXPECT_EQ(0, kind);
  EXPECT_TRUE(config_.get_monitor_power());
  EXPECT_FALSE(dir_.exists(kSettings)) << "a read must not create the file";
}

TEST_F(GlobalConfigTest, ShippedTemplateReadsAsNothingFoundYet) {
  dir_.write(kSettings, test_support::read_file(std::string(AGENT_SOURCE_DIR) + "/dist/" + kSettings));
  std::string apache, nginx, tomcat;
  int kind = 7;
  EXPECT_TRUE(config_.get_apache_path(apache));
  EXPECT_TRUE(config_.get_nginx_path(nginx));
  EXPECT_TRUE(config_.get_tomcat_path(tomcat));
  EXPECT_FALSE(config_.get_tomcat_kind(kind));
  EXPECT_EQ("ApachePath", apache);
  EXPECT_EQ("NginxPath", nginx);
  EXPECT_EQ("", tomcat);
  EXPECT_TRUE(config_.get_monitor_power());
}

TEST_F(GlobalConfigTest, PathsRoundTrip) {
  struct Row {
    const char* what;
    std::string value;
  };
  const Row rows[] = {
      {"plain", "/etc/apache2"},
      {"empty", ""},
      {"the placeholder itself", "ApachePath"},
      {"markup characters", "/opt/a<b>&\"c'"},
      {"GBK bytes", "/srv/\xCD\xF8\xD5\xBE"},
      {"blanks and a line end", "  /opt/x y\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::string apache, nginx, tomcat;
    ASSERT_TRUE(config_.set_apache_path(row.value));
    ASSERT_TRUE(config_.set_nginx_path(row.value + "/n"));
    ASSERT_TRUE(config_.set_tomcat_path(row.value + "/t"));
    EXPECT_TRUE(config_.get_apache_path(apache));
    EXPECT_TRUE(config_.get_nginx_path(nginx));
    EXPECT_TRUE(config_.get_tomcat_path(tomcat));
    EXPECT_EQ(row.value, apache);
    EXPECT_EQ(row.value + "/n", nginx);
    EXPECT_EQ(row.value + "/t", tomcat);
  }
}

TEST_F(GlobalConfigTest, KindAndMonitorSwitchRoundTrip) {
  for (int stored : {0, 4, -1}) {
    int kind = 99;
    ASSERT_TRUE(config_.set_tomcat_kind(stored));
    EXPECT_TRUE(config_.get_tomcat_kind(kind));
    EXPECT_EQ(stored, kind);
  }
  ASSERT_TRUE(config_.set_monitor_power(false));
  EXPECT_FALSE(config_.get_monitor_power());
  ASSERT_TRUE(config_.set_monitor_power(true));
  EXPECT_TRUE(config_.get_monitor_power());
}

TEST_F(GlobalConfigTest, FirstWriteCreatesTheWholeTemplateAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(config_.set_nginx_path("/usr/local/nginx"));
  std::string written = dir_.read(kSettings);
  // The web server plug-in writes its version entries into existing
  // elements only, so they must be there from the start.
  EXPECT_EQ("/usr/local/nginx", text_of(written, "//config/nginx_path"));
  EXPECT_EQ("ApachePath", text_of(written, "//config/apache_path"));
  EXPECT_EQ("NginxVersion", text_of(written, "//config/nginx_version"));
  EXPECT_EQ("ApacheArch", text_of(written, "//config/apache_arch"));
  EXPECT_EQ(std::vector<std::string>{"zelmor_config_other.xml"},
            names_in(dir_.file("config/other")));
}

TEST_F(GlobalConfigTest, WritesKeepTheRestOfTheFile) {
  dir_.write(kSettings,
             "<root><other keep='1'/><config><apache_version>2.4</apache_version>"
             "<packageNum>p7</packageNum></config></root>");
  ASSERT_TRUE(config_.set_apache_path("/etc/httpd"));
  std::string written = dir_.read(kSettings);
  EXPECT_EQ("/etc/httpd", text_of(written, "//config/apache_path"));
  EXPECT_EQ("2.4", text_of(written, "//config/apache_version"));
  EXPECT_EQ("p7", text_of(written, "//config/packageNum"));
  pugi::xml_document parsed;
  parsed.load_string(written.c_str());
  EXPECT_TRUE(parsed.select_node("/root/other[@keep='1']"));
}

TEST_F(GlobalConfigTest, UnreadableStoredValuesFallBack) {
  dir_.write(kSettings,
             "<config><tomcat_kind>abc</tomcat_kind><monitor_power>x</monitor_power></config>");
  int kind = 5;
  EXPECT_FALSE(config_.get_tomcat_kind(kind));
  EXPECT_EQ(0, kind);
  EXPECT_TRUE(config_.get_monitor_power());
  dir_.write(kSettings, "<config><monitor_power> 0 </monitor_power></config>");
  EXPECT_FALSE(config_.get_monitor_power());
}

TEST_F(GlobalConfigTest, GarbageFileIsReportedAndNeverOverwritten) {
  const std::string garbage = "<config><apache_path>/etc/x</apache_pa";
  dir_.write(kSettings, garbage);
  std::string apache;
  EXPECT_FALSE(config_.get_apache_path(apache));
  EXPECT_EQ("ApachePath", apache);
  EXPECT_FALSE(config_.set_apache_path("/etc/apache2"));
  EXPECT_EQ(garbage, dir_.read(kSettings));
  EXPECT_TRUE(log_.saw(dir_.file(kSettings)));
}

TEST_F(GlobalConfigTest, EmptyFileIsTreatedAsMissing) {
  dir_.write(kSettings, "");
  std::string nginx;
  EXPECT_FALSE(config_.get_nginx_path(nginx));
  EXPECT_EQ("NginxPath", nginx);
  ASSERT_TRUE(config_.set_nginx_path("/opt/nginx"));
  EXPECT_TRUE(config_.get_nginx_path(nginx));
  EXPECT_EQ("/opt/nginx", nginx);
}

TEST_F(GlobalConfigTest, TextWithNulIsRefused) {
  EXPECT_FALSE(config_.set_apache_path(std::string("/etc\0/x", 7)));
  EXPECT_FALSE(dir_.exists(kSettings));
}

}  // namespace
