// The inside of a parsed expression, shared by the expression's parser, its
// evaluator and the query walk (which looks for comparisons a tag can
// answer).
//
// An expression is kept as a postfix program: each instruction takes its
// arguments from the top of a value stack and leaves its result there.  The
// stack and the work area in which text results are built are sized when the
// expression is parsed, so evaluating it never allocates.  Every instruction
// that builds text owns a fixed region of the work area as long as its
// longest result.
#ifndef QX_DBF_EXPR_INTERNAL_H
#define QX_DBF_EXPR_INTERNAL_H

#include <cstdint>
#include <string>
#include <vector>

#include "dbf/expr.h"

namespace qx::dbf {

struct Field;
struct Table;

// Value types while evaluating.  Numeric fields and number constants are
// both doubles, date fields and date results both day numbers: the field
// forms are converted when the field is loaded.
enum class ValueType : uint8_t { kNone, kText, kNumber, kDate, kLogical, kNumberConstant };

// One value on the stack: text (pointer and length, the length at most the
// instruction's fixed length) or a number (dates as day numbers, logicals 1
// or 0).
struct Value {
  const char* text;
  int length;
  double number;
};

struct Instr;
struct Evaluation;
using EvalFn = void (*)(Evaluation& ev, const Instr& in);

// What a row of the operator table is, for the parser and the query walk.
enum class OpId : uint8_t {
  kField, kTextConstant, kNumberConstant, kTrue, kFalse,
  kPower, kMultiply, kDivide, kAdd, kSubtract,
  kEqual, kNotEqual, kGreaterEqual, kLessEqual, kGreater, kLess, kContained,
  kNot, kAnd, kOr,
  kChr, kDel, kStr, kSubstr, kTime, kUpper, kDtos, kDtoc, kTrim, kLtrim, kLeft, kIif,
  kStod, kCtod, kDate, kDay, kMonth, kYear, kDeleted, kRecCount, kRecNo, kVal, kPageNo,
};

// What a value depends on besides constants.
enum Dependence : uint8_t {
  kOnRecord = 1,  // fields, deletion flag, record number and count
  kOnClock = 2,   // today's date and the time of day
};

// One row of the table of operators, constants and functions.  A row with
// an empty name is a further type variant of the row above it; the parser
// picks among the rows of one name by the types of the arguments.
struct OpRow {
  EvalFn eval;
  const char* name;
  OpId id;
  uint8_t name_length;
  uint8_t priority;  // operators 3 (lowest) to 9; 0 for functions and constants
  ValueType result;
  int8_t params;
  ValueType param[3];
  uint8_t depends;  // Dependence bits of the row itself
};

// The table, ended by a row with a null evaluation routine.
extern const OpRow kOpTable[];

struct Instr {
  EvalFn eval = nullptr;
  const OpRow* row = nullptr;
  ValueType type = ValueType::kNone;
  int length = 0;       // the longest text result; 8 for numbers and dates, 1 for logicals
  int args = 0;         // values taken from the stack
  int start = 0;        // first instruction of this instruction's subexpression
  uint8_t depends = 0;  // Dependence bits of the whole subexpression
  Field* field = nullptr;
  double number = 0;  // a number constant
  int offset = 0;     // text constant: in the constant pool; built text: in the work area
  int p1 = 0, p2 = 0;  // constant parameters (start and length, width and decimals)
};

struct Expr {
  Table* table = nullptr;
  std::string source;
  std::vector<Instr> code;
  std::string constants;     // text constants, one after the other
  std::vector<char> work;    // regions of the instructions that build text
  std::vector<Value> stack;  // as deep as the program needs
};

// One run of a program, or of a part of it.
struct Evaluation {
  Expr* expr;
  Value* sp;  // the next free stack entry
  char* work;
  const char* constants;
};

// Runs instructions [begin, end) of `expr`, leaving their values on the
// stack; the last value is returned.
const Value& expr_run(Expr* expr, int begin, int end);

// The type letter of a value type: 'C', 'N', 'D', 'L'.
char type_letter(ValueType type);

// Compares text `a` with text `b` over the length of `b`, `a` taken as
// padded with blanks when it is shorter; bytes compare unsigned.
int compare_text(const char* a, int a_length, const char* b, int b_length);

}  // namespace qx::dbf

#endif  // QX_DBF_EXPR_INTERNAL_H
