#include "utility/CppSQLite3.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support/TempDir.h"

namespace {

using test_support::TempDir;

struct ErrorCase {
  const char* what;
  std::function<void()> call;
  int code;
  std::string message;
};

void expect_errors(const std::vector<ErrorCase>& cases) {
  for (const ErrorCase& row : cases) {
    SCOPED_TRACE(row.what);
    try {
      row.call();
      ADD_FAILURE() << "no exception";
    } catch (const CppSQLite3Exception& e) {
      EXPECT_EQ(row.code, e.errorCode());
      EXPECT_EQ(row.message, e.errorMessage());
      EXPECT_STREQ(e.errorMessage(), e.what());
    }
  }
}

const char kNotOpen[] = "CPPSQLITE_ERROR[1000]: Database not open";
const char kNullVM[] = "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer";

// An open database in a temporary directory with a table
// t(id integer primary key, name text, n integer) of three rows, one of
// them all NULL but its id.
class CppSQLite3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    db.open(dir.file("test.db").c_str());
    db.execDML(
        "create table t(id integer primary key, name text, n integer);"
        "insert into t values(1, 'one', 10);"
        "insert into t values(2, '2x', NULL);"
        "insert into t values(3, NULL, NULL);");
  }

  int rows() { return db.execScalar("select count(*) from t"); }

  TempDir dir;
  CppSQLite3DB db;
};

TEST(CppSQLite3ExceptionTest, MessageNamesTheCode) {
  static const struct {
    int code;
    const char* detail;
    const char* message;
  } cases[] = {
      {0, "x", "SQLITE_OK[0]: x"},
      {1, "near", "SQLITE_ERROR[1]: near"},
      {19, "d", "SQLITE_CONSTRAINT[19]: d"},
      {25, "", "SQLITE_RANGE[25]: "},
      {26, "file is not a database", "UNKNOWN_ERROR[26]: file is not a database"},
      {100, "r", "SQLITE_ROW[100]: r"},
      {101, nullptr, "SQLITE_DONE[101]: "},
      {1000, "own", "CPPSQLITE_ERROR[1000]: own"},
      {-1, "neg", "UNKNOWN_ERROR[-1]: neg"},
  };
  for (const auto& row : cases) {
    CppSQLite3Exception e(row.code, row.detail);
    EXPECT_EQ(row.code, e.errorCode());
    EXPECT_STREQ(row.message, e.errorMessage());
  }
}

TEST(CppSQLite3DBTest, ClosedDatabaseRefusesEveryOperation) {
  CppSQLite3DB db;
  EXPECT_EQ(0, db.close());
  expect_errors({
      {"tableExists", [&] { db.tableExists("t"); }, 1000, kNotOpen},
      {"execDML", [&] { db.execDML("create table t(a)"); }, 1000, kNotOpen},
      {"execScalar", [&] { db.execScalar("select 1"); }, 1000, kNotOpen},
      {"execQuery", [&] { db.execQuery("select 1"); }, 1000, kNotOpen},
      {"compileStatement", [&] { db.compileStatement("select 1"); }, 1000, kNotOpen},
  });
}

TEST(CppSQLite3DBTest, TableExistsFollowsCreateAndTakesNamesAsValues) {
  TempDir dir;
  CppSQLite3DB db;
  db.open(dir.file("new.db").c_str());
  EXPECT_FALSE(db.tableExists("t"));
  EXPECT_EQ(0, db.execDML("create table t(a)"));
  EXPECT_TRUE(db.tableExists("t"));
  EXPECT_FALSE(db.tableExists("T2"));
  EXPECT_FALSE(db.tableExists("x' or '1'='1"));
  EXPECT_FALSE(db.tableExists(nullptr));
  std::string long_name(100, 'n');
  db.execDML(("create table " + long_name + "(a)").c_str());
  EXPECT_TRUE(db.tableExists(long_name.c_str()));
}

TEST(CppSQLite3DBTest, BadFilesAndPaths) {
  TempDir dir;
  dir.write("garbage.db", std::string(4096, 'g'));
  CppSQLite3DB db;
  db.open(dir.file("garbage.db").c_str());
  expect_errors({
      {"query", [&] { db.execQuery("select * from t"); }, 26, "UNKNOWN_ERROR[26]: "},
      {"dml", [&] { db.execDML("create table t(a)"); }, 26,
       "UNKNOWN_ERROR[26]: file is not a database"},
      {"tableExists", [&] { db.tableExists("t"); }, 26, "UNKNOWN_ERROR[26]: "},
      {"no directory", [&] { db.open(dir.file("none/x.db").c_str()); }, 14,
       "SQLITE_CANTOPEN[14]: unable to open database file"},
      {"no name", [&] { db.open(nullptr); }, 1000, "CPPSQLITE_ERROR[1000]: No database file name"},
  });
  // A failed open leaves the connection closed.
  expect_errors({{"after open", [&] { db.execDML("select 1"); }, 1000, kNotOpen}});
  EXPECT_EQ("gggg", dir.read("garbage.db").substr(0, 4));
}

TEST_F(CppSQLite3Test, SqlErrorsCarryTheirCodeAndText) {
  expect_errors({
      {"query syntax", [&] { db.execQuery("selec * from t"); }, 1, "SQLITE_ERROR[1]: "},
      {"query null", [&] { db.execQuery(nullptr); }, 21, "SQLITE_MISUSE[21]: "},
      {"query empty", [&] { db.execQuery(""); }, 1000, kNullVM},
      {"query comment", [&] { db.execQuery(" -- nothing"); }, 1000, kNullVM},
      {"dml syntax", [&] { db.execDML("insert into"); }, 1, "SQLITE_ERROR[1]: incomplete input"},
      {"dml table", [&] { db.execDML("delete from nothere"); }, 1,
       "SQLITE_ERROR[1]: no such table: nothere"},
      {"dml constraint", [&] { db.execDML("insert into t values(1, 'x', 0)"); }, 19,
       "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.id"},
      {"compile", [&] { db.compileStatement("update nothere set a=1"); }, 1,
       "SQLITE_ERROR[1]: no such table: nothere"},
      {"compile empty", [&] { db.compileStatement(""); }, 1000, kNullVM},
      {"scalar no row", [&] { db.execScalar("select id from t where id > 9"); }, 1000,
       "CPPSQLITE_ERROR[1000]: Invalid scalar query"},
  });
  EXPECT_EQ(3, rows());
}

TEST_F(CppSQLite3Test, ExecDMLCountsTheRowsItChanged) {
  EXPECT_EQ(2, db.execDML("update t set n = 5 where id < 3"));
  EXPECT_EQ(0, db.execDML("create table u(a)"));  // not the 2 of the update
  EXPECT_EQ(0, db.execDML(""));
  EXPECT_EQ(0, db.execDML(nullptr));
  EXPECT_EQ(0, db.execDML("update t set n = 1 where id > 9"));
  EXPECT_EQ(3, db.execDML("delete from t"));
}

TEST_F(CppSQLite3Test, ExecScalarReadsTheFirstColumnAsDecimal) {
  static const struct {
    const char* sql;
    int value;
  } cases[] = {
      {"select count(*) from t", 3},
      {"select max(id), 99 from t", 3},
      {"select '42abc'", 42},
      {"select ' -7'", -7},
      {"select 'abc'", 0},
      {"select 12.9", 12},
      {"select max(n) from t where id = 3", 0},  // NULL
      {"select 99999999999", 2147483647},
  };
  for (const auto& row : cases) EXPECT_EQ(row.value, db.execScalar(row.sql)) << row.sql;
}

TEST_F(CppSQLite3Test, QueryWalksRowsWithTypedFieldsAndDefaults) {
  CppSQLite3Query q = db.execQuery("select id, name, n, name as name from t order by id");
  EXPECT_EQ(4, q.numFields());
  std::vector<std::string> seen;
  for (; !q.eof(); q.nextRow()) {
    seen.push_back(std::to_string(q.getIntField("id")) + ":" + q.getStringField("name", "-") + ":" +
                   std::to_string(q.getIntField("n", -1)) + ":" +
                   std::to_string(q.getIntField("name", -2)) + ":" + q.getStringField(2, "?"));
  }
  EXPECT_EQ((std::vector<std::string>{"1:one:10:0:10", "2:2x:-1:2:?", "3:-:-1:-2:?"}), seen);
  q.nextRow();  // past the end it stays there
  EXPECT_TRUE(q.eof());
  EXPECT_STREQ("dflt", q.getStringField("name", "dflt"));
}

TEST_F(CppSQLite3Test, QueryWithoutRowsIsAtEndAtOnce) {
  CppSQLite3Query q = db.execQuery("select * from t where id > 9");
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(3, q.numFields());
}

TEST_F(CppSQLite3Test, QueryFieldErrorsAndFinalizedQuery) {
  CppSQLite3Query q = db.execQuery("select id, name from t");
  const char* bad_name = "CPPSQLITE_ERROR[1000]: Invalid field name requested";
  const char* bad_index = "CPPSQLITE_ERROR[1000]: Invalid field index requested";
  expect_errors({
      {"unknown name", [&] { q.getStringField("nothere"); }, 1000, bad_name},
      {"name case", [&] { q.getIntField("ID"); }, 1000, bad_name},
      {"null name", [&] { q.getStringField(static_cast<const char*>(nullptr)); }, 1000, bad_name},
      {"index high", [&] { q.getStringField(2); }, 1000, bad_index},
      {"index low", [&] { q.getIntField(-1); }, 1000, bad_index},
  });
  q.finalize();
  expect_errors({
      {"eof", [&] { q.eof(); }, 1000, kNullVM},
      {"nextRow", [&] { q.nextRow(); }, 1000, kNullVM},
      {"numFields", [&] { q.numFields(); }, 1000, kNullVM},
      {"string", [&] { q.getStringField("id"); }, 1000, kNullVM},
      {"int", [&] { q.getIntField("id"); }, 1000, kNullVM},
      {"finalize", [&] { q.finalize(); }, 1000, kNullVM},
  });
  CppSQLite3Query moved_to = db.execQuery("select id from t");
  CppSQLite3Query moved_from = std::move(moved_to);
  EXPECT_EQ(1, moved_from.getIntField("id"));
  expect_errors({{"moved", [&] { moved_to.eof(); }, 1000, kNullVM}});
}

TEST_F(CppSQLite3Test, StatementBindsRunsAndRunsAgain) {
  CppSQLite3Statement insert = db.compileStatement("insert into t(id, name, n) values(?, ?, ?)");
  for (int id = 10; id < 13; ++id) {
    insert.bind(1, id);
    insert.bind(2, ("row" + std::to_string(id)).c_str());
    EXPECT_EQ(1, insert.execDML());  // resets itself: no reset() between runs
  }
  insert.bind(1, 13);
  insert.bind(2, static_cast<const char*>(nullptr));
  EXPECT_EQ(1, insert.execDML());
  insert.reset();
  EXPECT_EQ(7, rows());
  EXPECT_EQ(1, db.execScalar("select count(*) from t where name = 'row12' and n is null"));
  EXPECT_EQ(1, db.execScalar("select count(*) from t where id = 13 and name is null"));

  CppSQLite3Statement create = db.compileStatement("create table u(a)");
  EXPECT_EQ(0, create.execDML());
}

TEST_F(CppSQLite3Test, StatementErrorsAndFinalizedStatement) {
  CppSQLite3Statement insert = db.compileStatement("insert into t(id, name) values(?, ?)");
  expect_errors({
      {"int range", [&] { insert.bind(3, 1); }, 25, "SQLITE_RANGE[25]: Error binding int param"},
      {"text range", [&] { insert.bind(0, "x"); }, 25,
       "SQLITE_RANGE[25]: Error binding string param"},
  });
  insert.bind(1, 1);
  insert.bind(2, "dup");
  expect_errors({{"constraint", [&] { insert.execDML(); }, 19,
                  "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.id"}});
  insert.bind(1, 4);  // usable again after the failed run
  EXPECT_EQ(1, insert.execDML());
  EXPECT_EQ(4, rows());

  insert.finalize();
  expect_errors({
      {"bind text", [&] { insert.bind(1, "x"); }, 1000, kNullVM},
      {"bind int", [&] { insert.bind(1, 1); }, 1000, kNullVM},
      {"execDML", [&] { insert.execDML(); }, 1000, kNullVM},
      {"reset", [&] { insert.reset(); }, 1000, kNullVM},
      {"finalize", [&] { insert.finalize(); }, 1000, kNullVM},
  });
}

TEST_F(CppSQLite3Test, TransactionsCommitAndRollBack) {
  db.execDML("begin transaction;");
  db.execDML("insert into t(id) values(20)");
  db.execDML("rollback transaction;");
  EXPECT_EQ(3, rows());

  db.execDML("begin transaction;");
  CppSQLite3Statement insert = db.compileStatement("insert into t(id) values(?)");
  for (int id = 20; id < 25; ++id) {
    insert.bind(1, id);
    insert.execDML();
  }
  db.execDML("commit transaction;");
  EXPECT_EQ(8, rows());

  db.close();
  db.open(dir.file("test.db").c_str());
  EXPECT_EQ(8, rows());
}

TEST_F(CppSQLite3Test, LockedDatabaseIsBusy) {
  CppSQLite3DB other;
  other.setBusyTimeout(0);
  other.open(dir.file("test.db").c_str());
  EXPECT_EQ(3, other.execScalar("select count(*) from t"));
  db.execDML("begin exclusive transaction;");
  expect_errors({
      {"dml", [&] { other.execDML("insert into t(id) values(30)"); }, 5,
       "SQLITE_BUSY[5]: database is locked"},
      {"query", [&] { other.execQuery("select * from t"); }, 5,
       "SQLITE_BUSY[5]: database is locked"},
  });
  db.execDML("commit transaction;");
  EXPECT_EQ(1, other.execDML("insert into t(id) values(30)"));
}

TEST_F(CppSQLite3Test, ConnectionOutlivedByItsQueriesAndStatements) {
  CppSQLite3Query q = db.execQuery("select id from t order by id");
  CppSQLite3Statement s = db.compileStatement("select 1");
  EXPECT_EQ(5, db.close());  // SQLITE_BUSY: still in use, stays open
  EXPECT_EQ(3, rows());
  db.open(dir.file("test.db").c_str());  // the old connection goes once q and s are gone
  q.nextRow();
  EXPECT_EQ(2, q.getIntField("id"));
  EXPECT_EQ(3, rows());
}

}  // namespace
