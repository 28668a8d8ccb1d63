// `qx dbf export` and `qx dbf import` end to end: a table of every writable
// type (memo included) goes out and back into an empty table unchanged,
// Python's csv module reads what export writes, and a bad row stops an
// import with its line number and only the rows before it kept.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cli_support.h"
#include "core/coding.h"
#include "test_support.h"

using qxtest::TempDir;

namespace {

using qxtest::run_shell;
using qxtest::ToolRun;

ToolRun run(const std::string& cmd) { return run_shell(cmd); }
ToolRun qx(const std::string& args, bool with_errors = true) { return qxtest::qx_dbf(args, with_errors); }

constexpr char kFields[] = " NAME:C:14 QTY:N:9:2 DUE:D OK:L NOTE:M";

class TransferCli : public qxtest::CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    if (IsSkipped()) return;
    parts = quoted("parts");
    ASSERT_EQ(qx("create " + parts + kFields).status, 0);
    for (const char* rec : {"'bolt, \"big\"' 12.5 20240229 T 'first line\nsecond, \"quoted\"'",
                            "nut -3 '' F ''", "'Gr\xC3\xBC\xC3\x9F' 1e3 19991231 '' 'caf\xC3\xA9\n'",
                            "'  axle' '' 20000101 T ''"})
      ASSERT_EQ(qx("append " + parts + " " + rec).status, 0);
  }
  std::string parts;
};

// The export as Python's csv module reads it, one repr()'d row per line.
std::string python_reading(const std::string& csv_file) {
  return run("/usr/bin/python3 -c \"import csv,sys\n"
             "for row in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')): print(repr(row))\" '" +
             csv_file + "'")
      .out;
}

TEST_F(TransferCli, ExportIsCsvThatPythonReads) {
  ToolRun r = qx("export " + parts + " --csv", false);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, r.out.find("\r\n") + 2), "NAME,QTY,DUE,OK,NOTE\r\n");
  qxtest::write_file(dir.file("parts.csv"), r.out);
  EXPECT_EQ(python_reading(dir.file("parts.csv")),
            "['NAME', 'QTY', 'DUE', 'OK', 'NOTE']\n"
            "['bolt, \"big\"', '12.50', '2024-02-29', 'T', 'first line\\nsecond, \"quoted\"']\n"
            "['nut', '-3.00', '', 'F', '']\n"
            "['Gr\xC3\xBC\xC3\x9F', '1000.00', '1999-12-31', '', 'caf\xC3\xA9\\n']\n"
            "['  axle', '', '2000-01-01', 'T', '']\n");  // leading blanks are data
  // A tag's order; deleted records are no longer data.
  ASSERT_EQ(qx("index " + parts + " name 'UPPER(NAME)'").status, 0);
  ASSERT_EQ(qx("delete " + parts + " 2").status, 0);
  r = qx("export " + parts + " --csv --tag name", false);
  ASSERT_EQ(r.status, 0);
  qxtest::write_file(dir.file("tagged.csv"), r.out);
  std::string rows = python_reading(dir.file("tagged.csv"));
  EXPECT_LT(rows.find("'  axle'"), rows.find("'bolt"));
  EXPECT_LT(rows.find("'bolt"), rows.find("'Gr"));
  EXPECT_EQ(rows.find("'nut'"), std::string::npos);
  EXPECT_EQ(qx("export " + parts + " --csv --tag nope").status, 1);
  // A tag id, as the table API takes it, selects the tag named TAG002.
  ASSERT_EQ(qx("index " + parts + " TAG002 QTY").status, 0);
  r = qx("export " + parts + " --csv --tag 2", false);
  EXPECT_EQ(r.out.substr(r.out.find("\r\n") + 2, 7), "  axle,") << r.out;  // a blank QTY first
  EXPECT_LT(r.out.find(",12.50,"), r.out.find(",1000.00,")) << r.out;
  EXPECT_EQ(qx("export " + parts + " --csv --tag 5").status, 1);
  EXPECT_EQ(qx("export " + parts).status, 2);
}

// Compares an export (argument 2) with the table (argument 1) as the
// dbfread module reads it; prints "True True []" when every record is there
// and every binary value (I, B, Y, T) agrees.  Exit status 77 without dbfread.
const std::string kCompareBinary =
    "/usr/bin/python3 -c \"import csv, datetime, decimal, sys\n"
    "try:\n import dbfread\nexcept ImportError: sys.exit(77)\n"
    "table = dbfread.DBF(sys.argv[1], encoding='latin-1', ignore_missing_memofile=True)\n"
    "rows = list(csv.reader(open(sys.argv[2], newline='', encoding='utf-8')))\n"
    "def shown(v):\n"
    " if v is None: return ''\n"
    " if isinstance(v, datetime.datetime):\n"
    "  v = (v + datetime.timedelta(microseconds=500000)).replace(microsecond=0)\n"
    "  return v.strftime('%Y-%m-%d %H:%M:%S')\n"
    " if isinstance(v, decimal.Decimal): return format(v, '.4f')\n"
    " return str(v)\n"
    "names = [f.name for f in table.fields if f.type in 'IBYT']\n"
    "records = list(table)\n"
    "differ = [(n, r[n], row[rows[0].index(n)]) for r, row in zip(records, rows[1:]) for n in names\n"
    "          if (float(row[rows[0].index(n)]) != r[n] if isinstance(r[n], float)\n"
    "              else shown(r[n]) != row[rows[0].index(n)])]\n"
    "print(len(rows) - 1 == len(records) > 0, len(names) > 0, differ[:3])\" ";

// A later table with one double field (B), which the reference tables
// lack, written byte by byte.
std::string later_table_of_doubles(const std::vector<double>& values) {
  const size_t header = 32 + 32 + 1 + 263, record = 1 + 8;
  std::string bytes(header + values.size() * record + 1, '\0');
  auto* p = reinterpret_cast<unsigned char*>(bytes.data());
  p[0] = 0x30;
  p[1] = 124, p[2] = 1, p[3] = 2;  // 2024-01-02
  qx::coding::put32le(p + 4, static_cast<uint32_t>(values.size()));
  qx::coding::put16le(p + 8, header);
  qx::coding::put16le(p + 10, record);
  std::memcpy(p + 32, "AMOUNT", 6);
  p[32 + 11] = 'B', p[32 + 12] = 1, p[32 + 16] = 8, p[32 + 17] = 3;  // at 1, 8 wide, 3 decimals
  p[64] = 0x0D;
  for (size_t i = 0; i < values.size(); ++i) {
    uint64_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    p[header + i * record] = ' ';
    qx::coding::put64le(p + header + i * record + 1, bits);
  }
  p[header + values.size() * record] = 0x1A;
  return bytes;
}

// The binary fields of later tables (I, B, Y, T) as the dbfread module
// reads them independently: integers, numbers, currency with four decimals,
// date-times to the nearest second (the tables store 13:35:39 as
// 13:35:38.999), NULL as an empty value; every record, in record order.
TEST_F(TransferCli, LaterTablesBinaryValuesAsDbfreadReadsThem) {
  std::vector<std::string> tables;
  for (const char* name : {"calls", "customer", "employees", "goods", "menutools", "products", "setup"})
    tables.push_back(std::string(QX_TEST_DATA_DIR) + "/reference/later/" + name + ".dbf");
  tables.push_back(dir.file("doubles.dbf"));
  qxtest::write_file(tables.back(), later_table_of_doubles({0.1, -2.5e-7, 1e15, 123456.789, 0.0, -1e300}));
  for (const std::string& table : tables) {
    ToolRun r = qx("export '" + table + "' --csv", false);
    ASSERT_EQ(r.status, 0) << table;
    qxtest::write_file(dir.file("later.csv"), r.out);
    ToolRun check = run(kCompareBinary + "'" + table + "' '" + dir.file("later.csv") + "'");
    if (check.status == 77) GTEST_SKIP() << "python3 with the dbfread module is absent";
    EXPECT_EQ(check.out, "True True []\n") << table;
  }
}

TEST_F(TransferCli, ImportOfTheExportGivesIdenticalRecords) {
  ToolRun out = qx("export " + parts + " --csv", false);
  ASSERT_EQ(out.status, 0);
  qxtest::write_file(dir.file("parts.csv"), out.out);
  std::string copy = quoted("copy");
  ASSERT_EQ(qx("create " + copy + kFields).status, 0);
  ToolRun r = qx("import " + copy + " '" + dir.file("parts.csv") + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "imported 4 rows\n");
  // The records byte for byte (the memo blocks may differ in place), and the
  // memo text in full.
  auto records = [](const std::string& table) {
    std::string bytes = qxtest::read_file(table);
    return bytes.substr(bytes.size() - 1 - 4 * 48);  // 4 records of 1 + 14 + 9 + 8 + 1 + 10 bytes, then 0x1A
  };
  std::string a = records(dir.file("parts.dbf")), b = records(dir.file("copy.dbf"));
  for (std::string* s : {&a, &b})
    for (size_t rec = 0; rec < 4; ++rec) s->replace(rec * 48 + 38, 10, 10, '.');  // memo block numbers
  EXPECT_EQ(a, b);
  EXPECT_EQ(qx("list " + copy + " --memo").out.substr(5), qx("list " + parts + " --memo").out.substr(5));
  EXPECT_EQ(qx("export " + copy + " --csv", false).out, out.out);
}

TEST_F(TransferCli, HeaderNamesFieldsInAnyOrderAndUnknownNamesAreRefused) {
  std::string csv = dir.file("in.csv");
  qxtest::write_file(csv, "OK,name\nT,a\nF,b\n");
  ASSERT_EQ(qx("import " + parts + " '" + csv + "'").status, 0);
  ToolRun r = qx("export " + parts + " --csv", false);
  EXPECT_NE(r.out.find("\r\na,,,T,\r\nb,,,F,\r\n"), std::string::npos) << r.out;
  qxtest::write_file(csv, "NAME,COLOR\nx,red\n");
  r = qx("import " + parts + " '" + csv + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("line 1: no field 'COLOR'"), std::string::npos) << r.out;
  qxtest::write_file(csv, "NAME,NAME\nx,y\n");
  EXPECT_EQ(qx("import " + parts + " '" + csv + "'").status, 1);
  EXPECT_NE(qx("list " + parts).out.find("(6 records)"), std::string::npos);
}

TEST_F(TransferCli, BadRowStopsWithItsLineAndKeepsTheRowsBefore) {
  std::string copy = quoted("copy");
  ASSERT_EQ(qx("create " + copy + kFields).status, 0);
  std::string csv = dir.file("in.csv");
  // Line 3 holds a quoted line break, so the bad row starts on line 5.
  qxtest::write_file(csv, "NAME,DUE,NOTE\r\nok,2024-01-31,\r\n\"two\nlines\",,\"memo\"\r\n"
                          "late,2023-02-29,never written\r\nafter,,\r\n");
  ToolRun r = qx("import " + copy + " '" + csv + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("line 5: field DUE: '2023-02-29' not a date"), std::string::npos) << r.out;
  r = qx("export " + copy + " --csv", false);
  EXPECT_EQ(r.out, "NAME,QTY,DUE,OK,NOTE\r\nok,,2024-01-31,,\r\n\"two\nlines\",,,,memo\r\n");
  // A row of the wrong width and an unclosed quote stop it the same way.
  qxtest::write_file(csv, "NAME,NOTE\nx\n");
  EXPECT_NE(qx("import " + copy + " '" + csv + "'").out.find("line 2: 1 values for 2 fields"), std::string::npos);
  qxtest::write_file(csv, "NAME\ny\n\"z\n");
  EXPECT_NE(qx("import " + copy + " '" + csv + "'").out.find("line 3: a quoted value does not end"),
            std::string::npos);
  EXPECT_NE(qx("list " + copy).out.find("(3 records)"), std::string::npos);
}

TEST_F(TransferCli, LongImportReportsProgress) {
  std::string text = "QTY\n";
  for (int i = 0; i < 20001; ++i) text += std::to_string(i) + "\n";
  qxtest::write_file(dir.file("many.csv"), text);
  ToolRun r = qx("import " + parts + " '" + dir.file("many.csv") + "'");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "qx dbf import: 10000 rows\nqx dbf import: 20000 rows\nimported 20001 rows\n");
}

}  // namespace
