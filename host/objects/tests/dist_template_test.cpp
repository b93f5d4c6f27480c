// The install tree template: the entries the agent's readers look up must
// be there, or the feature behind them is silently off after installation.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "test_support/test_paths.h"

namespace {

struct Entry {
  const char* file;
  const char* xpath;
};

TEST(DistTemplate, EveryEntryTheReadersLookUpIsPresent) {
  const Entry entries[] = {
      {"config.xml", "//Data/var[@name='cloud_center']/@value"},
      {"config.xml", "//Data/var[@name='upload_log']/@value"},
      {"config.xml", "//Data/var[@name='version']/@value"},
      {"config/other/statistical.xml", "//config/packageNum"},
      {"config/webscan/webscan.xml", "//webscan/scan_path"},
      {"config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml",
       "//resources/disk"},
  };
  for (const Entry& entry : entries) {
    pugi::xml_document document;
    std::string path = std::string(AGENT_SOURCE_DIR) + "/dist/" + entry.file;
    ASSERT_TRUE(document.load_file(path.c_str())) << path;
    EXPECT_TRUE(document.select_node(entry.xpath)) << entry.file << " " << entry.xpath;
  }
}

TEST(DistTemplate, MonitoringSectionsHoldEverySettingAsANumber) {
  struct Section {
    const char* xpath;
    std::vector<const char*> children;
  };
  const std::vector<const char*> common = {"power", "duration", "max_used", "alarm_method",
                                           "sampling_interval", "alarm_interval"};
  const Section sections[] = {
      {"//resources/cpu", common},
      {"//resources/mem", common},
      {"//resources/swap", common},
      {"//resources/net",
       {"power", "duration", "up_threshold", "down_threshold", "alarm_method",
        "sampling_interval", "alarm_interval"}},
  };
  pugi::xml_document document;
  std::string path = std::string(AGENT_SOURCE_DIR) +
                     "/dist/config/system_resource_anomaly_detect/"
                     "zelmor_system_resource_anomaly_detect.xml";
  ASSERT_TRUE(document.load_file(path.c_str()));
  for (const Section& section : sections) {
    pugi::xml_node node = document.select_node(section.xpath).node();
    ASSERT_TRUE(node) << section.xpath;
    for (const char* child : section.children) {
      std::string text = node.child(child).text().get();
      EXPECT_FALSE(text.empty()) << section.xpath << "/" << child;
      EXPECT_EQ(std::string::npos, text.find_first_not_of("0123456789"))
          << section.xpath << "/" << child << " = " << text;
    }
  }
}

}  // namespace
