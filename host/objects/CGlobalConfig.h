// "obj.m.global.config": the agent-wide settings, kept in the web server
// settings file below the install directory.
#ifndef HOST_OBJECTS_CGLOBALCONFIG_H_
#define HOST_OBJECTS_CGLOBALCONFIG_H_

#include <memory>
#include <string>

#include "frame/host_objects.h"
#include "host/objects/CSettingsFile.h"

namespace host {

// A facade over one shared CSettingsFile: clones share the file, and the
// file lives until the last clone is released. Safe for concurrent use.
//
// Elements of the "config" element of config/other/zelmor_config_other.xml:
//   apache_path    Apache configuration directory, "ApachePath" until found
//   nginx_path     Nginx install prefix, "NginxPath" until found
//   tomcat_path    Tomcat directory, empty until set
//   tomcat_kind    kind of Tomcat-based server in decimal, empty until set
//   monitor_power  1 or 0; monitoring is on while the element is missing
//                  or holds no number, so the per-resource switches of the
//                  monitoring settings decide what is watched
// The file also carries the version and architecture entries that the web
// server plug-in reads and writes itself; they are kept as they are.
class CGlobalConfig : public IObj_GlobalConfig {
 public:
  static const char kRelativePath[];  // "config/other/zelmor_config_other.xml"
  // The document a setter writes when the file is missing: every entry
  // with its "not found yet" text.
  static const char kTemplate[];

  explicit CGlobalConfig(std::shared_ptr<CSettingsFile> file);
  // A facade over a new settings file at `install_dir` + "/" + kRelativePath.
  static CGlobalConfig for_install_dir(const std::string& install_dir);

  int version() const override { return 1; }
  IObject* clone() const override;  // null when memory is short
  void release() override { delete this; }

  bool set_monitor_power(bool on) override;
  bool get_monitor_power() override;
  bool set_apache_path(const std::string& dir) override;
  bool get_apache_path(std::string& dir) override;
  bool set_nginx_path(const std::string& prefix) override;
  bool get_nginx_path(std::string& prefix) override;
  bool set_tomcat_path(const std::string& dir) override;
  bool get_tomcat_path(std::string& dir) override;
  bool set_tomcat_kind(const int& kind) override;
  bool get_tomcat_kind(int& kind) override;

 private:
  // The stored text of `key`, or `unset` when none can be read.
  bool get_text(const char* key, const char* unset, std::string& text);
  // The stored decimal number of `key`; false when none is stored.
  bool get_int(const char* key, int& value);
  // Stores `text` as `key`; false when that fails. Never throws.
  bool put_text(const char* key, const std::string& text);

  std::shared_ptr<CSettingsFile> file_;
};

}  // namespace host

#endif  // HOST_OBJECTS_CGLOBALCONFIG_H_
