#include "host/objects/CSettingsFile.h"

#include <exception>
#include <pugixml.hpp>
#include <sstream>
#include <utility>

#include "frame/fwbase.h"
#include "host/objects/file_io.h"

namespace host {
namespace {

const char kConfigElement[] = "config";
const char kConfigXPath[] = "//config";
const char kIndent[] = "  ";

pugi::xml_node find_config(pugi::xml_document& document) {
  return document.select_node(kConfigXPath).node();
}

}  // namespace

CSettingsFile::CSettingsFile(std::string path, std::string template_document)
    : path_(std::move(path)), template_document_(std::move(template_document)) {}

CSettingsFile::Load CSettingsFile::load_locked(pugi::xml_document& document) {
  std::string content;
  std::string error;
  ReadResult read = read_small_file(path_, kMaxFileSize, content, error);
  if (read == ReadResult::kMissing) return Load::kNoFile;
  if (read == ReadResult::kFailed) {
    FW_LOG_FAILURE(this, ("读取配置文件失败: " + error).c_str());
    return Load::kFailed;
  }
  pugi::xml_parse_result parsed = document.load_buffer(content.data(), content.size());
  if (parsed.status == pugi::status_no_document_element) return Load::kNoFile;
  if (!parsed) {
    FW_LOG_FAILURE(this, ("配置文件格式错误: " + path_ + ": " + parsed.description()).c_str());
    return Load::kFailed;
  }
  return Load::kLoaded;
}

CSettingsFile::Lookup CSettingsFile::read(const char* key, std::string& text) {
  text.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  try {
    pugi::xml_document document;
    Load load = load_locked(document);
    if (load == Load::kFailed) return Lookup::kFailed;
    if (load == Load::kNoFile) return Lookup::kAbsent;
    pugi::xml_node entry = find_config(document).child(key);
    if (!entry) return Lookup::kAbsent;
    text = entry.text().get();
    return Lookup::kFound;
  } catch (const std::exception& e) {
    FW_LOG_FAILURE(this, ("读取配置项失败: " + path_ + ": " + e.what()).c_str());
    text.clear();
    return Lookup::kFailed;
  }
}

bool CSettingsFile::write(const char* key, const std::string& text) {
  if (text.find('\0') != std::string::npos) {
    FW_LOG_FAILURE(this, ("配置项含有NUL字符, 未保存: " + std::string(key)).c_str());
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  try {
    pugi::xml_document document;
    Load load = load_locked(document);
    if (load == Load::kFailed) return false;
    if (load == Load::kNoFile) document.load_string(template_document_.c_str());
    pugi::xml_node config = find_config(document);
    if (!config) {
      pugi::xml_node parent = document.document_element();
      config = (parent ? parent : document).append_child(kConfigElement);
    }
    pugi::xml_node entry = config.child(key);
    if (!entry) entry = config.append_child(key);
    entry.text().set(text.c_str());

    std::ostringstream out;
    document.save(out, kIndent, pugi::format_default, pugi::encoding_utf8);
    std::string error;
    if (!write_file_atomically(path_, out.str(), error)) {
      FW_LOG_FAILURE(this, ("保存配置文件失败: " + error).c_str());
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    FW_LOG_FAILURE(this, ("保存配置项失败: " + path_ + ": " + e.what()).c_str());
    return false;
  }
}

}  // namespace host
