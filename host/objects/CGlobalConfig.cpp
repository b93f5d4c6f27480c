#include "host/objects/CGlobalConfig.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <utility>

namespace host {
namespace {

const char kApachePath[] = "apache_path";
const char kNginxPath[] = "nginx_path";
const char kTomcatPath[] = "tomcat_path";
const char kTomcatKind[] = "tomcat_kind";
const char kMonitorPower[] = "monitor_power";

const char kApacheUnset[] = "ApachePath";
const char kNginxUnset[] = "NginxPath";
const char kTomcatUnset[] = "";

const bool kMonitorPowerDefault = true;

// A whole decimal int, blanks around it allowed.
bool parse_int(const std::string& text, int& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n') ++end;
  if (*end != '\0') return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

const char CGlobalConfig::kRelativePath[] = "config/other/zelmor_config_other.xml";

const char CGlobalConfig::kTemplate[] =
    "<?xml version=\"1.0\"?>\n"
    "<config>\n"
    "  <apache_path>ApachePath</apache_path>\n"
    "  <apache_version>ApacheVersion</apache_version>\n"
    "  <apache_arch>ApacheArch</apache_arch>\n"
    "  <nginx_path>NginxPath</nginx_path>\n"
    "  <nginx_version>NginxVersion</nginx_version>\n"
    "  <nginx_arch>NginxArch</nginx_arch>\n"
    "  <tomcat_path></tomcat_path>\n"
    "  <tomcat_kind></tomcat_kind>\n"
    "  <monitor_power>1</monitor_power>\n"
    "</config>\n";

CGlobalConfig::CGlobalConfig(std::shared_ptr<CSettingsFile> file) : file_(std::move(file)) {}

CGlobalConfig CGlobalConfig::for_install_dir(const std::string& install_dir) {
  return CGlobalConfig(
      std::make_shared<CSettingsFile>(install_dir + "/" + kRelativePath, kTemplate));
}

fwbase::IGlobalEnv::IObject* CGlobalConfig::clone() const {
  return new (std::nothrow) CGlobalConfig(file_);
}

bool CGlobalConfig::get_text(const char* key, const char* unset, std::string& text) {
  try {
    if (file_->read(key, text) == CSettingsFile::Lookup::kFound) return true;
    text = unset;
  } catch (const std::bad_alloc&) {
    text.clear();
  }
  return false;
}

bool CGlobalConfig::get_int(const char* key, int& value) {
  try {
    std::string text;
    return file_->read(key, text) == CSettingsFile::Lookup::kFound && parse_int(text, value);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CGlobalConfig::put_text(const char* key, const std::string& text) {
  try {
    return file_->write(key, text);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CGlobalConfig::set_monitor_power(bool on) { return put_text(kMonitorPower, on ? "1" : "0"); }

bool CGlobalConfig::get_monitor_power() {
  int value = 0;
  if (!get_int(kMonitorPower, value)) return kMonitorPowerDefault;
  return value != 0;
}

bool CGlobalConfig::set_apache_path(const std::string& dir) { return put_text(kApachePath, dir); }

bool CGlobalConfig::get_apache_path(std::string& dir) {
  return get_text(kApachePath, kApacheUnset, dir);
}

bool CGlobalConfig::set_nginx_path(const std::string& prefix) {
  return put_text(kNginxPath, prefix);
}

bool CGlobalConfig::get_nginx_path(std::string& prefix) {
  return get_text(kNginxPath, kNginxUnset, prefix);
}

bool CGlobalConfig::set_tomcat_path(const std::string& dir) { return put_text(kTomcatPath, dir); }

bool CGlobalConfig::get_tomcat_path(std::string& dir) {
  return get_text(kTomcatPath, kTomcatUnset, dir);
}

bool CGlobalConfig::set_tomcat_kind(const int& kind) {
  return put_text(kTomcatKind, std::to_string(kind));
}

bool CGlobalConfig::get_tomcat_kind(int& kind) {
  kind = 0;
  int stored = 0;
  if (!get_int(kTomcatKind, stored)) return false;
  kind = stored;
  return true;
}

}  // namespace host
