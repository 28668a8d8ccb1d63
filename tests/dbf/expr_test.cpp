// The expression language: values and types of every operator and function
// over a record, the priority and type rules, and the error code (and the
// place) of every kind of bad expression.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::AlertRecorder;
using qxtest::TempDir;

// Counts the allocations made while `g_counting` is set, to show that
// evaluating allocates nothing.
namespace {
bool g_counting = false;
long g_allocations = 0;
}  // namespace

// Every form of new and delete is replaced, so that all of them pair malloc
// with free (the compiler cannot see that).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
void* counted_allocation(std::size_t size) {
  if (g_counting) ++g_allocations;
  return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = counted_allocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted_allocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted_allocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

const FieldInfo kFields[] = {{"NAME", 'C', 10, 0}, {"FIRST", 'C', 8, 0}, {"QTY", 'N', 8, 2},
                             {"PRICE", 'F', 10, 3}, {"DUE", 'D', 8, 0},  {"OK", 'L', 1, 0},
                             {nullptr, 0, 0, 0}};

// One table "sample" with two records; the first is current:
// Smith, John, 12.34, 3.5, 2024-03-15, true.
class ExprTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.quietErrors = 1;
    table = dbfCreate(&engine, dir.file("sample").c_str(), kFields, nullptr);
    ASSERT_NE(table, nullptr);
    append("Smith", "John", "12.34", "3.5", "20240315", 'T');
    append("jones", "", "-2", "", "", 'F');
    ASSERT_EQ(dbfGo(table, 1), 0);
  }
  void TearDown() override { dbfClose(table); }

  void append(const char* name, const char* first, const char* qty, const char* price,
              const char* due, char ok) {
    ASSERT_EQ(dbfAppendStart(table, 0), 0);
    dbfBlank(table);
    fldAssign(dbfFieldByName(table, "NAME"), name);
    fldAssign(dbfFieldByName(table, "FIRST"), first);
    fldAssignDouble(dbfFieldByName(table, "QTY"), std::atof(qty));
    if (*price) fldAssignDouble(dbfFieldByName(table, "PRICE"), std::atof(price));
    fldAssign(dbfFieldByName(table, "DUE"), due);
    fldAssignChar(dbfFieldByName(table, "OK"), ok);
    ASSERT_EQ(dbfAppend(table), 0);
  }

  // The result of `source` for the current record: text as the key would
  // hold it, numbers, dates (as CCYYMMDD) and logicals as text.
  std::string eval(const char* source, char* type = nullptr) {
    Expr* e = exprParse(table, source);
    if (!e) return "error " + std::to_string(engine.lastError);
    std::string out(static_cast<size_t>(exprKeyLength(e)), '\0');
    double number = -12345;
    EXPECT_EQ(exprEvaluate(e, out.data(), &number), 0) << source;
    if (type) *type = exprType(e);
    char t = exprType(e);
    if (t == 'N') {
      char text[64];
      std::snprintf(text, sizeof text, "%.15g", number);
      out = text;
    } else if (t == 'D') {
      out.assign(8, ' ');
      day_to_date(static_cast<long>(number), out.data());
    } else if (t == 'L') {
      out = number != 0 ? ".T." : ".F.";
      EXPECT_EQ(exprTrue(e), number != 0 ? 1 : 0);
    }
    exprFree(e);
    return out;
  }

  // The error code of a bad expression and the offset where it was found.
  std::pair<int, int> failure(const char* source) {
    engine.lastError = 0;
    Expr* e = exprParse(table, source);
    if (e) {
      exprFree(e);
      return {0, -1};
    }
    return {engine.lastError, expr_failure_offset()};
  }

  TempDir dir;
  Engine engine;
  Table* table = nullptr;
};

struct Case {
  const char* source;
  char type;
  const char* result;
};

TEST_F(ExprTest, OperandsOperatorsAndFunctionsGiveTheirValues) {
  const Case cases[] = {
      // Fields and constants.
      {"NAME", 'C', "Smith     "},
      {"name", 'C', "Smith     "},
      {"sample->NAME", 'C', "Smith     "},
      {"SAMPLE.first", 'C', "John    "},
      {"QTY", 'N', "12.34"},
      {"PRICE", 'N', "3.5"},
      {"DUE", 'D', "20240315"},
      {"OK", 'L', ".T."},
      {"'it'", 'C', "it"},
      {"\"a'b\"", 'C', "a'b"},
      {"[x\"y]", 'C', "x\"y"},
      {"-1.5", 'N', "-1.5"},
      {"+.25", 'N', "0.25"},
      {".t.", 'L', ".T."},
      {".FALSE.", 'L', ".F."},
      // Arithmetic: priorities, left to right within one priority.
      {"2+3*4", 'N', "14"},
      {"(2+3)*4", 'N', "20"},
      {"10-2-3", 'N', "5"},
      {"2^3^2", 'N', "64"},
      {"2**10/4", 'N', "256"},
      {"7/0", 'N', "0"},
      {"QTY*2", 'N', "24.68"},
      // Text joined, and joined with the left text's blanks moved to the end.
      {"NAME+FIRST", 'C', "Smith     John    "},
      {"NAME-FIRST", 'C', "SmithJohn         "},
      {"TRIM(NAME)+'!'", 'C', "Smith!     "},
      {"DTOS(DUE)+NAME", 'C', "20240315Smith     "},
      // Dates: day arithmetic over month ends and a leap day.
      {"DUE+20", 'D', "20240404"},
      {"20+DUE", 'D', "20240404"},
      {"DUE-15", 'D', "20240229"},
      {"DUE-DUE", 'N', "0"},
      {"DUE-STOD('20240101')", 'N', "74"},
      {"STOD('20240230')", 'D', "        "},
      {"YEAR(DUE)*10000+MONTH(DUE)*100+DAY(DUE)", 'N', "20240315"},
      {"DTOC(DUE)", 'C', "03/15/24"},
      {"DTOS(CTOD('02/29/24'))", 'C', "19240229"},
      {"DTOS(CTOD('13/01/24'))", 'C', "        "},
      // Functions.
      {"UPPER(NAME)", 'C', "SMITH     "},
      {"SUBSTR(NAME,2,3)", 'C', "mit"},
      {"SUBSTR(NAME,1+1,6/2)", 'C', "mit"},
      {"SUBSTR(NAME,9,5)", 'C', "  "},
      {"LEFT(NAME,2)", 'C', "Sm"},
      {"LTRIM('  ab')", 'C', "ab  "},
      {"TRIM('  ab  ')", 'C', "  ab  "},
      {"STR(QTY)", 'C', "        12"},
      {"STR(QTY,8,2)", 'C', "   12.34"},
      {"STR(-3.14159,8,2)", 'C', "   -3.14"},
      {"STR(123456,4)", 'C', "****"},
      {"CHR(65)+CHR(98)", 'C', "Ab"},
      {"DEL()", 'C', " "},
      {"DELETED()", 'L', ".F."},
      {"IIF(OK,'yes','no ')", 'C', "yes"},
      {"IIF(QTY>100,1,2)", 'N', "2"},
      {"IIF(.F.,DUE,DUE+1)", 'D', "20240316"},
      {"VAL('  12.5xyz')+1", 'N', "13.5"},
      {"RECNO()", 'N', "1"},
      {"RECCOUNT()", 'N', "2"},
      {"PAGENO()", 'N', "0"},
      {"DATE()-DATE()", 'N', "0"},
      // Comparisons: text over the right operand's length.
      {"NAME='Sm'", 'L', ".T."},
      {"'Sm'=NAME", 'L', ".F."},
      {"NAME=''", 'L', ".T."},
      {"NAME='Smith     '", 'L', ".T."},
      {"NAME='Smith       '", 'L', ".T."},
      {"NAME='Smithy'", 'L', ".F."},
      {"NAME#'Sm'", 'L', ".F."},
      {"NAME<>'Jo'", 'L', ".T."},
      {"NAME>='S' .AND. NAME<'T'", 'L', ".T."},
      {"NAME>'Smith'", 'L', ".F."},
      {"NAME<='Sm'", 'L', ".T."},
      {"'mit'$NAME", 'L', ".T."},
      {"''$NAME", 'L', ".F."},
      {"'MIT'$NAME", 'L', ".F."},
      {"QTY>12 .AND. QTY<=12.34", 'L', ".T."},
      {"DUE>STOD('20240314')", 'L', ".T."},
      {"OK=.T. .AND. OK#.F.", 'L', ".T."},
      // Logic: .NOT. above .AND. above .OR.
      {".NOT. OK", 'L', ".F."},
      {".not. ok .or. qty>12", 'L', ".T."},
      {".T. .OR. .T. .AND. .F.", 'L', ".T."},
      {".NOT. .T. .AND. .F.", 'L', ".F."},
      {".NOT. QTY=1", 'L', ".T."},
      {"1<2 = .T.", 'L', ".T."},
  };
  for (const Case& c : cases) {
    char type = 0;
    EXPECT_EQ(eval(c.source, &type), c.result) << c.source;
    EXPECT_EQ(type, c.type) << c.source;
  }
}

TEST_F(ExprTest, SecondRecordBlankFieldsAndDeletion) {
  ASSERT_EQ(dbfGo(table, 2), 0);
  EXPECT_EQ(eval("DTOS(DUE)"), "        ");
  EXPECT_EQ(eval("DUE=STOD('')"), ".T.");
  EXPECT_EQ(eval("YEAR(DUE)"), "0");
  EXPECT_EQ(eval("DTOC(DUE)"), "  /  /  ");
  EXPECT_EQ(eval("PRICE"), "0");
  EXPECT_EQ(eval("QTY<0"), ".T.");
  EXPECT_EQ(eval("TRIM(FIRST)+NAME"), "jones             ");
  dbfDelete(table);
  EXPECT_EQ(eval("DEL()"), "*");
  EXPECT_EQ(eval("DELETED()"), ".T.");
}

TEST_F(ExprTest, TypesAndKeyLengths) {
  struct Shape {
    const char* source;
    char type;
    int length;
  };
  const Shape shapes[] = {
      {"DTOS(DUE)+NAME", 'C', 18}, {"DUE+1", 'D', 8},          {"DUE-DUE", 'N', 8},
      {"OK", 'L', 1},              {"TRIM(NAME)+FIRST", 'C', 18}, {"SUBSTR(NAME,8,5)", 'C', 3},
      {"STR(QTY,12,3)", 'C', 12},  {"TIME()", 'C', 8},          {"DATE()", 'D', 8},
  };
  for (const Shape& s : shapes) {
    Expr* e = exprParse(table, s.source);
    ASSERT_NE(e, nullptr) << s.source;
    EXPECT_EQ(exprType(e), s.type) << s.source;
    EXPECT_EQ(exprKeyLength(e), s.length) << s.source;
    EXPECT_STREQ(exprSource(e), s.source);
    exprFree(e);
  }
  std::string time = eval("TIME()");
  EXPECT_EQ(time.size(), 8u);
  EXPECT_EQ(time[2], ':');
  EXPECT_EQ(time[5], ':');
}

TEST_F(ExprTest, DateFunctionsFollowTheContextsPicture) {
  engine.dateFormat = "CCYY.MM.DD";
  EXPECT_EQ(eval("DTOC(DUE)"), "2024.03.15");
  EXPECT_EQ(eval("DTOS(CTOD('1999.12.31'))"), "19991231");
  engine.dateFormat = "DD-MM-YYYY";
  EXPECT_EQ(eval("DTOC(DUE+1)"), "16-03-2024");
  EXPECT_EQ(eval("DTOS(CTOD('01-02-2003'))"), "20030201");
}

TEST_F(ExprTest, EachKindOfBadExpressionGivesItsCodeAndPlace) {
  struct Bad {
    const char* source;
    int code;
    int offset;
  };
  const Bad bad[] = {
      {"", -410, 0},
      {"   ", -410, 3},
      {"NAME +", -410, 6},
      {".NOT.", -410, 5},
      {"UPPER(NAME QTY)", -400, 11},
      {"IIF(OK 'A', 'B')", -400, 7},
      {"NOPE->NAME", -420, 0},
      {"IIF(OK,'A','BB')", -422, 0},
      {"SUBSTR(NAME,QTY,2)", -425, 0},
      {"STR(QTY,RECNO())", -425, 0},
      {"LEFT(NAME,QTY)", -425, 0},
      {"UPPER()", -430, 0},
      {"UPPER(NAME,NAME)", -430, 0},
      {"SUBSTR(NAME,2)", -430, 0},
      {"RECNO(1)", -430, 0},
      {"UPPER(NAME", -450, 10},
      {"(QTY+1", -450, 6},
      {"(QTY+1 2)", -450, 7},
      {"UPPER(QTY)", -460, 0},
      {"NAME+QTY", -460, 4},
      {".NOT. NAME", -460, 0},
      {"OK>OK", -460, 2},
      {"OK .AND. QTY", -460, 3},
      {"DUE+DUE", -460, 3},
      {"QTY-DUE", -460, 3},
      {"IIF(NAME,1,2)", -460, 0},
      {"NOSUCH(1)", -470, 0},
      {"UPP(NAME)", -470, 0},
      {"NAME ! 'x'", -480, 5},
      {"QTY 1", -480, 4},
      {"NAME)", -480, 4},
      {"@", -490, 0},
      {"NOFIELD > 1", -490, 0},
      {"NAME == 'x'", -490, 6},
      {"QTY > -", -490, 6},
      {".X.", -490, 0},
      {"'abc", -500, 0},
      {"NAME = [abc", -500, 7},
  };
  for (const Bad& b : bad) {
    auto [code, offset] = failure(b.source);
    EXPECT_EQ(code, b.code) << b.source;
    EXPECT_EQ(offset, b.offset) << b.source;
  }
}

TEST_F(ExprTest, OverlongAndOverdeepExpressionsAreRefused) {
  std::string deep(300, '(');
  deep += "1";
  deep += std::string(300, ')');
  EXPECT_EQ(failure(deep.c_str()).first, -440);
  // Every join builds its text in a region of its own: 600 of them would
  // need megabytes.
  std::string wide = "NAME";
  for (int i = 0; i < 600; ++i) wide += "+NAME";
  EXPECT_EQ(failure(wide.c_str()).first, kErrMemory);
  // Deep but within the limit is fine.
  std::string nested = std::string(50, '(') + "QTY" + std::string(50, ')');
  EXPECT_EQ(eval(nested.c_str()), "12.34");
}

TEST_F(ExprTest, FieldsOfUnknownTypeAreRefused) {
  const FieldInfo fields[] = {{"PIC", 'G', 10, 0}, {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&engine, dir.file("pictures").c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(exprParse(t, "PIC"), nullptr);
  EXPECT_EQ(engine.lastError, -460);
  dbfClose(t);
}

TEST_F(ExprTest, ErrorsAreShownOnlyWhenReportsAreOn) {
  engine.quietErrors = 0;
  AlertRecorder alerts;
  engine.reportExpressionFailure = 0;
  EXPECT_EQ(exprParse(table, "UPPER(QTY)"), nullptr);
  EXPECT_EQ(engine.lastError, -460);
  EXPECT_TRUE(alerts.shown().empty());
  engine.reportExpressionFailure = 1;
  EXPECT_EQ(exprParse(table, "UPPER(QTY)"), nullptr);
  ASSERT_EQ(alerts.shown().size(), 1u);
  EXPECT_EQ(alerts.shown()[0],
            "TABLE ENGINE ERROR|Error #: -460\nSub-expression Type is Wrong\nUPPER(QTY)\n");

  // A logical answer asked of a number.
  engine.lastError = 0;
  Expr* e = exprParse(table, "QTY");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(exprTrue(e), -950);
  ASSERT_EQ(alerts.shown().size(), 2u);
  EXPECT_EQ(alerts.shown()[1],
            "TABLE ENGINE ERROR|Error #: -950\nUnexpected Result\nExpecting logical result.\n"
            "exprTrue()\n");
  exprFree(e);
}

TEST_F(ExprTest, EvaluatingAllocatesNothing) {
  Expr* e = exprParse(table,
                      "IIF(OK, UPPER(TRIM(NAME)) + STR(QTY,8,2) - DTOC(DUE+1), "
                      "SUBSTR(FIRST,1,10)+CHR(65)+DTOS(DATE())+TIME()+LEFT(NAME,1)) $ 'x'"
                      " .OR. VAL(STR(QTY)) > RECNO() .AND. .NOT. DELETED()");
  ASSERT_NE(e, nullptr);
  g_allocations = 0;
  g_counting = true;
  int sum = 0;
  for (int i = 0; i < 100; ++i) sum += exprTrue(e);
  g_counting = false;
  EXPECT_EQ(g_allocations, 0);
  EXPECT_EQ(sum, 100);
  exprFree(e);
}

TEST_F(ExprTest, FieldsOfOtherOpenTablesFollowTheirCurrentRecord) {
  const FieldInfo fields[] = {{"CODE", 'C', 4, 0}, {nullptr, 0, 0, 0}};
  Table* other = dbfCreate(&engine, dir.file("codes").c_str(), fields, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(dbfAppendBlank(other), 0);
  fldAssign(dbfFieldByName(other, "CODE"), "AB");
  ASSERT_EQ(dbfAppendBlank(other), 0);
  fldAssign(dbfFieldByName(other, "CODE"), "CD");
  ASSERT_EQ(dbfGo(other, 1), 0);
  Expr* e = exprParse(table, "CODES->CODE + LEFT(NAME,1)");
  ASSERT_NE(e, nullptr);
  char text[5];
  exprEvaluate(e, text, nullptr);
  EXPECT_EQ(std::string(text, 5), "AB  S");
  dbfGo(other, 2);
  exprEvaluate(e, text, nullptr);
  EXPECT_EQ(std::string(text, 5), "CD  S");
  exprFree(e);
  dbfClose(other);
}

}  // namespace
