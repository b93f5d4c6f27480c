// The monitoring settings of the five resources (CPU, memory, network, disks,
// swap), kept in one XML file below the working directory and cached in
// memory.
//
// File: "./config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml",
// sections "//resources/cpu", "mem", "net", "swap" and one
// "//resources/disk/device" per watched file system (attribute `id`). Each
// value is the decimal text of a child element named after the field, read
// like strtol base 10 (empty or non-numeric text reads 0, trailing text is
// ignored) and clamped to 32 bits; an absent child element reads 0 as well,
// like an empty one. `power` is true for any value other than 0 and is
// written as 1 or 0.
//
// Another process of the agent that rewrites the file announces it by
// creating "./tmp/system_monitor.lock": every get deletes that file when it
// is there and then reloads from disk.
//
// Thread safety: every public operation holds `lock_` exclusively for its
// whole run, file reads and writes included, so readers and writers of this
// process never interleave. Writes by another process are not guarded.
//
// Failures are results, never exceptions, and nothing is logged: a missing
// or malformed file makes every get and set false; a set is true only when
// the file was saved with the new section in it.
#ifndef SYSTEM_RAD_CSYSTEMRADCONFIG_H_
#define SYSTEM_RAD_CSYSTEMRADCONFIG_H_

#include <ace/RW_Thread_Mutex.h>

#include <cstdint>
#include <string>
#include <vector>

class CSystemRADConfig {
 public:
  // Settings of a usage-limited resource (CPU, memory, swap).
  struct SystemRADConfigCpu {
    bool power = false;                  // watched
    std::int32_t duration = 0;           // seconds an anomaly must last
    std::int32_t max_used = 0;           // percent
    std::int32_t alarm_method = 0;       // bits: 1 mail, 2 short message, 4 alarm box
    std::int32_t sampling_interval = 0;  // seconds; 0 means the engine's default
    std::int32_t alarm_interval = 0;     // seconds; 0 means the engine's default
  };
  using SystemRADConfigMem = SystemRADConfigCpu;
  using SystemRADConfigSwap = SystemRADConfigCpu;

  struct SystemRADConfigNet {
    bool power = false;
    std::int32_t duration = 0;
    std::int32_t up_threshold = 0;    // MB per second
    std::int32_t down_threshold = 0;  // MB per second
    std::int32_t alarm_method = 0;
    std::int32_t sampling_interval = 0;
    std::int32_t alarm_interval = 0;
  };

  // One watched file system.
  struct SystemRADConfigDisk {
    bool power = false;
    std::string id;              // device as /etc/mtab names it
    std::int32_t threshold = 0;  // percent
    std::int32_t alarm_method = 0;
    std::int32_t sampling_interval = 0;
    std::int32_t alarm_interval = 0;
  };

  // The process-wide instance, created on the first call (thread-safe) and
  // never destroyed.
  static CSystemRADConfig* instance();

  CSystemRADConfig(const CSystemRADConfig&) = delete;
  CSystemRADConfig& operator=(const CSystemRADConfig&) = delete;

  // Marks all five caches invalid; always true. The argument is unused.
  virtual bool init(void* unused);
  // Nothing to do: the instance lives until the process ends.
  virtual void release();

  // Deletes the flag file when it is there and then marks all five caches
  // invalid. Returns 1 when the flag file was seen, 0 otherwise. Every get
  // does this first.
  int check_flush_conf();

  // Copy the section into `out`, reading the file when its cache is invalid.
  // False (and `out` unchanged) when the file does not give the section.
  bool get_cpu_config(SystemRADConfigCpu& out);
  bool get_mem_config(SystemRADConfigMem& out);
  bool get_net_config(SystemRADConfigNet& out);
  bool get_swap_config(SystemRADConfigSwap& out);
  // The devices in document order; false (and `out` unchanged) when the file
  // has none.
  bool get_disk_config(std::vector<SystemRADConfigDisk>& out);

  // Write the section into the file, replacing the one there or appending it
  // to `resources`, and on success into the cache.
  bool set_cpu_config(const SystemRADConfigCpu& config);
  bool set_mem_config(const SystemRADConfigMem& config);
  bool set_net_config(const SystemRADConfigNet& config);
  bool set_swap_config(const SystemRADConfigSwap& config);
  // Replaces the first device of the same id in place (a device without the
  // attribute has the id ""), or appends the device to `disk`. An id that
  // holds a quote or a NUL byte is refused (false, nothing changed); the
  // empty id is allowed. In a valid cached list the first device of the id
  // is removed and the new one appended at the end (a reload gives the
  // file's order); an invalid list is read from the file next time.
  bool set_disk_config(const SystemRADConfigDisk& config);

  // Reads one section from the file, bypassing the cache. `record` points to
  // the section's record: SystemRADConfigCpu for "cpu", "mem", "swap",
  // SystemRADConfigNet for "net", std::vector<SystemRADConfigDisk> for
  // "disk" (replaced by the devices of the file). False when the file cannot
  // be loaded or lacks the section (the record is then unchanged); true for
  // any other name once the file has loaded. Does not take `lock_`.
  bool get_conf_by_name(const std::string& name, void* record);
  // Writes one section into the file, bypassing the cache. `record` points
  // to the record as above, SystemRADConfigDisk for "disk". False, the file
  // unchanged, when it cannot be loaded, has no parent element for the
  // section (`resources`, or `resources/disk`), the name is unknown, the
  // device id is refused or the save fails. Does not take `lock_`.
  bool set_conf_by_name(const std::string& name, void* record);

 protected:
  CSystemRADConfig() = default;
  virtual ~CSystemRADConfig() = default;

 private:
  template <class Record>
  bool get_section(const char* name, Record& cache, bool& valid, Record& out);
  template <class Record>
  bool set_section(const char* name, const Record& config, Record& cache, bool& valid);
  // check_flush_conf for a caller holding `lock_`.
  int flush_if_flagged();

  // Guarded by lock_.
  SystemRADConfigCpu cpu_;
  SystemRADConfigMem mem_;
  SystemRADConfigNet net_;
  std::vector<SystemRADConfigDisk> disks_;
  SystemRADConfigSwap swap_;
  bool cpu_valid_ = false;
  bool mem_valid_ = false;
  bool net_valid_ = false;
  bool disk_valid_ = false;
  bool swap_valid_ = false;
  // Always taken exclusively: a read may refill a cache.
  ACE_RW_Thread_Mutex lock_;
};

#endif  // SYSTEM_RAD_CSYSTEMRADCONFIG_H_
