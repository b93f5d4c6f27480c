#include "system_rad/CSystemRADConfig.h"

#include <ace/Guard_T.h>
#include <errno.h>
#include <unistd.h>

#include <exception>

#include "platform/litexml/litexml.h"
#include "system_rad/TextInput.h"

namespace {

const char kConfigPath[] =
    "./config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml";
const char kFlagPath[] = "./tmp/system_monitor.lock";
const char kResourcesXPath[] = "//resources";
const char kDiskXPath[] = "//resources/disk";
const char kDeviceXPath[] = "//resources/disk/device";
const char kDevice[] = "device";
const char kId[] = "id";
const char kPower[] = "power";

using Cpu = CSystemRADConfig::SystemRADConfigCpu;
using Net = CSystemRADConfig::SystemRADConfigNet;
using Disk = CSystemRADConfig::SystemRADConfigDisk;

// The numeric child elements of a section after `power`, in the order they
// are written.
template <class Record>
struct NumberField {
  const char* name;
  std::int32_t Record::*member;
};

const NumberField<Cpu> kUsageFields[] = {
    {"duration", &Cpu::duration},
    {"max_used", &Cpu::max_used},
    {"alarm_method", &Cpu::alarm_method},
    {"sampling_interval", &Cpu::sampling_interval},
    {"alarm_interval", &Cpu::alarm_interval},
};
const NumberField<Net> kNetFields[] = {
    {"duration", &Net::duration},
    {"up_threshold", &Net::up_threshold},
    {"down_threshold", &Net::down_threshold},
    {"alarm_method", &Net::alarm_method},
    {"sampling_interval", &Net::sampling_interval},
    {"alarm_interval", &Net::alarm_interval},
};
const NumberField<Disk> kDiskFields[] = {
    {"threshold", &Disk::threshold},
    {"alarm_method", &Disk::alarm_method},
    {"sampling_interval", &Disk::sampling_interval},
    {"alarm_interval", &Disk::alarm_interval},
};

// The field table of a record type.
const auto& fields_of(const Cpu&) { return kUsageFields; }
const auto& fields_of(const Net&) { return kNetFields; }
const auto& fields_of(const Disk&) { return kDiskFields; }

bool is_usage_section(const std::string& name) {
  return name == "cpu" || name == "mem" || name == "swap";
}

// The number in child element `name` of `section`; 0 when it is absent.
std::int32_t read_number(IXmlElement& section, const char* name) {
  XmlPtr<IXmlElement> child(section.select_node(name));
  return child ? utility::int32_of(child->text().c_str()) : 0;
}

template <class Record>
void read_fields(IXmlElement& section, Record& out) {
  out.power = read_number(section, kPower) != 0;
  for (const auto& field : fields_of(out)) {
    out.*field.member = read_number(section, field.name);
  }
}

template <class Record>
bool read_section(IXmlElement& root, const std::string& name, Record& out) {
  XmlPtr<IXmlElement> section(root.select_node(std::string(kResourcesXPath) + "/" + name));
  if (!section) return false;
  Record record;
  read_fields(*section, record);
  out = record;
  return true;
}

bool read_devices(IXmlElement& root, std::vector<Disk>& out) {
  XmlPtr<IXmlNodeList> devices(root.select_nodes(kDeviceXPath));
  std::vector<Disk> records;
  for (int i = 0; i < devices->count(); ++i) {
    XmlPtr<IXmlElement> device(devices->item(i));
    Disk record;
    record.id = device->attribute(kId);
    read_fields(*device, record);
    records.push_back(record);
  }
  if (records.empty()) return false;
  out.swap(records);
  return true;
}

void append_text_child(IXmlDocument& doc, IXmlElement& parent, const char* name,
                       const std::string& text) {
  XmlPtr<IXmlElement> child(doc.create_element(name));
  child->set_text(text);
  parent.append_child(child.get());
}

// Gives the placed element `section` one child per field of the record, in
// the order they are written. Filled after placing, so the children take the
// document's layout.
template <class Record>
void fill_section(IXmlDocument& doc, IXmlElement& section, const Record& record) {
  append_text_child(doc, section, kPower, record.power ? "1" : "0");
  for (const auto& field : fields_of(record)) {
    append_text_child(doc, section, field.name, std::to_string(record.*field.member));
  }
}

// `section` takes the place of `old`, or when there is no `old` becomes the
// last child of the element selected by `parent_xpath`. False when that
// parent does not exist.
bool place_section(IXmlElement& root, IXmlElement* old, const char* parent_xpath,
                   IXmlElement& section) {
  if (old != nullptr) {
    XmlPtr<IXmlElement> parent(old->parent());
    parent->replace_child(old, &section);
    return true;
  }
  XmlPtr<IXmlElement> parent(root.select_node(parent_xpath));
  if (!parent) return false;
  parent->append_child(&section);
  return true;
}

template <class Record>
bool write_section(IXmlDocument& doc, IXmlElement& root, const std::string& name,
                   const Record& record) {
  XmlPtr<IXmlElement> section(doc.create_element(name));
  XmlPtr<IXmlElement> old(root.select_node(std::string(kResourcesXPath) + "/" + name));
  if (!place_section(root, old.get(), kResourcesXPath, *section)) return false;
  fill_section(doc, *section, record);
  return true;
}

// The first device whose id equals `id` exactly (a device without the
// attribute has the id ""), compared as bytes rather than pasted into an
// XPath; null when there is none.
IXmlElement* find_device(IXmlElement& root, const std::string& id) {
  XmlPtr<IXmlNodeList> devices(root.select_nodes(kDeviceXPath));
  for (int i = 0; i < devices->count(); ++i) {
    XmlPtr<IXmlElement> device(devices->item(i));
    if (device->attribute(kId) == id) return device.release();
  }
  return nullptr;
}

bool write_device(IXmlDocument& doc, IXmlElement& root, const Disk& record) {
  XmlPtr<IXmlElement> device(doc.create_element(kDevice));
  device->set_attribute(kId, record.id);
  XmlPtr<IXmlElement> old(find_device(root, record.id));
  if (!place_section(root, old.get(), kDiskXPath, *device)) return false;
  fill_section(doc, *device, record);
  return true;
}

// Ids that would not survive the file unchanged or could change a query
// built from them.
bool is_acceptable_id(const std::string& id) {
  return id.find('\'') == std::string::npos && id.find('\0') == std::string::npos;
}

}  // namespace

CSystemRADConfig* CSystemRADConfig::instance() {
  static CSystemRADConfig* const config = new CSystemRADConfig();
  return config;
}

bool CSystemRADConfig::init(void*) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  cpu_valid_ = mem_valid_ = net_valid_ = disk_valid_ = swap_valid_ = false;
  return true;
}

void CSystemRADConfig::release() {}

int CSystemRADConfig::check_flush_conf() {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  return flush_if_flagged();
}

int CSystemRADConfig::flush_if_flagged() {
  // One unlink answers both "is it there" and "delete it". A flag that
  // exists but cannot be deleted still means the file changed.
  if (::unlink(kFlagPath) != 0 && (errno == ENOENT || errno == ENOTDIR)) return 0;
  cpu_valid_ = mem_valid_ = net_valid_ = disk_valid_ = swap_valid_ = false;
  return 1;
}

template <class Record>
bool CSystemRADConfig::get_section(const char* name, Record& cache, bool& valid, Record& out) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  flush_if_flagged();
  if (!valid) valid = get_conf_by_name(name, &cache);
  if (valid) out = cache;
  return valid;
}

template <class Record>
bool CSystemRADConfig::set_section(const char* name, const Record& config, Record& cache,
                                   bool& valid) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  Record record = config;
  if (!set_conf_by_name(name, &record)) return false;
  cache = config;
  valid = true;
  return true;
}

bool CSystemRADConfig::get_cpu_config(SystemRADConfigCpu& out) {
  return get_section("cpu", cpu_, cpu_valid_, out);
}

bool CSystemRADConfig::get_mem_config(SystemRADConfigMem& out) {
  return get_section("mem", mem_, mem_valid_, out);
}

bool CSystemRADConfig::get_net_config(SystemRADConfigNet& out) {
  return get_section("net", net_, net_valid_, out);
}

bool CSystemRADConfig::get_swap_config(SystemRADConfigSwap& out) {
  return get_section("swap", swap_, swap_valid_, out);
}

bool CSystemRADConfig::get_disk_config(std::vector<SystemRADConfigDisk>& out) {
  return get_section("disk", disks_, disk_valid_, out);
}

bool CSystemRADConfig::set_cpu_config(const SystemRADConfigCpu& config) {
  return set_section("cpu", config, cpu_, cpu_valid_);
}

bool CSystemRADConfig::set_mem_config(const SystemRADConfigMem& config) {
  return set_section("mem", config, mem_, mem_valid_);
}

bool CSystemRADConfig::set_net_config(const SystemRADConfigNet& config) {
  return set_section("net", config, net_, net_valid_);
}

bool CSystemRADConfig::set_swap_config(const SystemRADConfigSwap& config) {
  return set_section("swap", config, swap_, swap_valid_);
}

bool CSystemRADConfig::set_disk_config(const SystemRADConfigDisk& config) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  SystemRADConfigDisk record = config;
  if (!set_conf_by_name("disk", &record)) return false;
  // An invalid list may be stale or empty: it is read from the file next
  // time instead of being marked valid with only this device in it.
  if (!disk_valid_) return true;
  for (auto it = disks_.begin(); it != disks_.end(); ++it) {
    if (it->id == config.id) {
      disks_.erase(it);
      break;
    }
  }
  disks_.push_back(config);
  return true;
}

bool CSystemRADConfig::get_conf_by_name(const std::string& name, void* record) {
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  if (!doc || !doc->load(kConfigPath)) return false;
  try {
    XmlPtr<IXmlElement> root(doc->root());
    if (is_usage_section(name)) return read_section(*root, name, *static_cast<Cpu*>(record));
    if (name == "net") return read_section(*root, name, *static_cast<Net*>(record));
    if (name == "disk") return read_devices(*root, *static_cast<std::vector<Disk>*>(record));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CSystemRADConfig::set_conf_by_name(const std::string& name, void* record) {
  const bool usage = is_usage_section(name);
  if (!usage && name != "net" && name != "disk") return false;
  if (name == "disk" && !is_acceptable_id(static_cast<const Disk*>(record)->id)) return false;

  XmlPtr<IXmlDocument> doc(newXmlDocument());
  if (!doc || !doc->load(kConfigPath)) return false;
  try {
    XmlPtr<IXmlElement> root(doc->root());
    bool placed = false;
    if (usage) {
      placed = write_section(*doc, *root, name, *static_cast<const Cpu*>(record));
    } else if (name == "net") {
      placed = write_section(*doc, *root, name, *static_cast<const Net*>(record));
    } else {
      placed = write_device(*doc, *root, *static_cast<const Disk*>(record));
    }
    if (!placed) return false;
  } catch (const std::exception&) {
    return false;
  }
  return doc->save(kConfigPath) > 0;
}
