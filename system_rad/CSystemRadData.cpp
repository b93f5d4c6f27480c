#include "system_rad/CSystemRadData.h"

#include <ace/Guard_T.h>
#include <sys/stat.h>

#include <cstdlib>

#include "frame/fwbase.h"
#include "utility/CStr.h"

namespace {

const char kDir[] = "./config/system_resource_anomaly_detect/";
const char kFile[] = "system_resource_anomaly_detect.db";

using Cpu = CSystemRadData::SystemRadDataCpu;
using Mem = CSystemRadData::SystemRadDataMem;
using Net = CSystemRadData::SystemRadDataNet;
using Disk = CSystemRadData::SystemRadDataDisk;
using Swap = CSystemRadData::SystemRadDataSwap;

// Per table: its name, the column part of its create statement and of its
// insert, how a row is bound and how one is read back.
template <class Row>
struct Table;

template <>
struct Table<Cpu> {
  static constexpr const char* kName = "cpu_date";
  static constexpr const char* kCreate =
      " (id integer primary key autoincrement,usage integer,timestamp text);";
  static constexpr const char* kInsert = "(usage,timestamp) values (?,?);";
  static void bind(CppSQLite3Statement& st, const Cpu& row) {
    st.bind(1, row.usage);
    st.bind(2, row.timestamp.c_str());
  }
  static void read(CppSQLite3Query& q, Cpu& row) {
    row.usage = q.getIntField("usage", 0);
    row.timestamp = q.getStringField("timestamp", "");
  }
};

// Memory and swap rows share their columns.
template <class Row>
struct TotalFreeTable {
  static constexpr const char* kCreate =
      " (id integer primary key autoincrement,total text,free text,timestamp text);";
  static constexpr const char* kInsert = "(total,free,timestamp) values (?,?,?);";
  static void bind(CppSQLite3Statement& st, const Row& row) {
    st.bind(1, CSystemRadData::amount_text(row.total).c_str());
    st.bind(2, CSystemRadData::amount_text(row.free).c_str());
    st.bind(3, row.timestamp.c_str());
  }
  static void read(CppSQLite3Query& q, Row& row) {
    row.total = CSystemRadData::amount_of(q.getStringField("total", ""));
    row.free = CSystemRadData::amount_of(q.getStringField("free", ""));
    row.timestamp = q.getStringField("timestamp", "");
  }
};

template <>
struct Table<Mem> : TotalFreeTable<Mem> {
  static constexpr const char* kName = "mem_date";
};

template <>
struct Table<Swap> : TotalFreeTable<Swap> {
  static constexpr const char* kName = "swap_date";
};

template <>
struct Table<Net> {
  static constexpr const char* kName = "net_date";
  static constexpr const char* kCreate =
      " (id integer primary key autoincrement,up text,down text,timestamp text);";
  static constexpr const char* kInsert = "(up,down,timestamp) values (?,?,?);";
  static void bind(CppSQLite3Statement& st, const Net& row) {
    st.bind(1, CSystemRadData::amount_text(row.up).c_str());
    st.bind(2, CSystemRadData::amount_text(row.down).c_str());
    st.bind(3, row.timestamp.c_str());
  }
  static void read(CppSQLite3Query& q, Net& row) {
    row.up = CSystemRadData::amount_of(q.getStringField("up", ""));
    row.down = CSystemRadData::amount_of(q.getStringField("down", ""));
    row.timestamp = q.getStringField("timestamp", "");
  }
};

template <>
struct Table<Disk> {
  static constexpr const char* kName = "disk_date";
  static constexpr const char* kCreate =
      " (id integer primary key autoincrement,device text,total text,free text,timestamp text);";
  static constexpr const char* kInsert = "(device,total,free,timestamp) values (?,?,?,?);";
  static void bind(CppSQLite3Statement& st, const Disk& row) {
    st.bind(1, row.device.c_str());
    st.bind(2, CSystemRadData::amount_text(row.total).c_str());
    st.bind(3, CSystemRadData::amount_text(row.free).c_str());
    st.bind(4, row.timestamp.c_str());
  }
  static void read(CppSQLite3Query& q, Disk& row) {
    row.device = q.getStringField("device", "");
    row.total = CSystemRadData::amount_of(q.getStringField("total", ""));
    row.free = CSystemRadData::amount_of(q.getStringField("free", ""));
    row.timestamp = q.getStringField("timestamp", "");
  }
};

template <class Row>
void create_if_missing(CppSQLite3DB& db) {
  if (!db.tableExists(Table<Row>::kName))
    db.execDML((std::string("create table ") + Table<Row>::kName + Table<Row>::kCreate).c_str());
}

}  // namespace

CSystemRadData* CSystemRadData::instance() {
  static CSystemRadData* const store = new CSystemRadData();
  return store;
}

bool CSystemRadData::init() {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  // Mode 0: only root, which the agent runs as, goes in. An existing
  // directory keeps its mode.
  ::mkdir(kDir, 0);
  const std::string path = std::string(kDir) + kFile;
  try {
    db_.open(path.c_str());
    create_if_missing<Cpu>(db_);
    create_if_missing<Mem>(db_);
    create_if_missing<Net>(db_);
    create_if_missing<Disk>(db_);
    create_if_missing<Swap>(db_);
    return true;
  } catch (const CppSQLite3Exception& e) {
    char* text = fwbase::IRunLog::FormatStr("打开[%s]数据库时发生错误[%s]", path.c_str(),
                                            e.errorMessage());
    FW_LOG_FAILURE(this, text);
    std::free(text);
    return false;
  }
}

void CSystemRadData::release() {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  db_.close();
}

template <class Row>
bool CSystemRadData::insert_row(const Row& row) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  try {
    db_.execDML("begin transaction;");
    CppSQLite3Statement statement = db_.compileStatement(
        (std::string("insert into ") + Table<Row>::kName + Table<Row>::kInsert).c_str());
    Table<Row>::bind(statement, row);
    statement.execDML();
    statement.reset();
    db_.execDML("commit transaction;");
    return true;
  } catch (const CppSQLite3Exception& e) {
    char* text = fwbase::IRunLog::FormatStr("写本地数据库时发生异常: %s", e.errorMessage());
    FW_LOG_FAILURE(this, text);
    std::free(text);
    // End the transaction so that the next insert can begin its own.
    try {
      db_.execDML("commit transaction;");
    } catch (const CppSQLite3Exception&) {
    }
    return false;
  }
}

template <class Row>
bool CSystemRadData::query_rows(const char* where, std::vector<Row>& rows) {
  ACE_Read_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  std::string sql = std::string("select * from ") + Table<Row>::kName;
  if (where != nullptr) sql += std::string(" where ") + where;
  try {
    CppSQLite3Query q = db_.execQuery(sql.c_str());
    for (; !q.eof(); q.nextRow()) {
      rows.emplace_back();
      Table<Row>::read(q, rows.back());
    }
    q.finalize();
    return true;
  } catch (const CppSQLite3Exception& e) {
    char* text = fwbase::IRunLog::FormatStr("读取日志执行SQL失败，%s", e.errorMessage());
    FW_LOG_FAILURE(this, text);
    std::free(text);
    return false;
  }
}

bool CSystemRadData::insert(const Cpu& row) { return insert_row(row); }
bool CSystemRadData::insert(const Mem& row) { return insert_row(row); }
bool CSystemRadData::insert(const Net& row) { return insert_row(row); }
bool CSystemRadData::insert(const Disk& row) { return insert_row(row); }
bool CSystemRadData::insert(const Swap& row) { return insert_row(row); }

bool CSystemRadData::query(const char* where, std::vector<Cpu>& rows) {
  return query_rows(where, rows);
}
bool CSystemRadData::query(const char* where, std::vector<Mem>& rows) {
  return query_rows(where, rows);
}
bool CSystemRadData::query(const char* where, std::vector<Net>& rows) {
  return query_rows(where, rows);
}
bool CSystemRadData::query(const char* where, std::vector<Disk>& rows) {
  return query_rows(where, rows);
}
bool CSystemRadData::query(const char* where, std::vector<Swap>& rows) {
  return query_rows(where, rows);
}

std::string CSystemRadData::amount_text(uint64_t amount) {
  return utility::CStr::lltoa(static_cast<long long>(amount));
}

uint64_t CSystemRadData::amount_of(const char* text) {
  const std::string value(text);
  const std::size_t first = value.find_first_not_of(" \t");
  if (first != std::string::npos && value[first] == '-')
    return static_cast<uint64_t>(utility::CStr::atoll(value));
  return utility::CStr::atoull(value);
}
