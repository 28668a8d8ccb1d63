// The expression parser: dBASE expression text to the postfix program of
// expr_internal.h, by precedence climbing over the rows of the operator
// table.  Types are settled here, once: the parser picks the table row whose
// parameter types fit the arguments, sizes the value stack and the work
// area, and folds the constant parameters of SUBSTR, LEFT and STR into their
// instructions.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dbf/error.h"
#include "dbf/expr_internal.h"
#include "dbf/field.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

enum : int {
  kErrCommaOrBracket = -400,
  kErrIncomplete = -410,
  kErrTableName = -420,
  kErrIifLengths = -422,
  kErrConstantParameter = -425,
  kErrParameterCount = -430,
  kErrOverflow = -440,
  kErrRightBracket = -450,
  kErrType = -460,
  kErrFunction = -470,
  kErrOperator = -480,
  kErrValue = -490,
  kErrString = -500,
};

// Nesting of brackets, calls and .NOT. that the parser follows.
constexpr int kMaxDepth = 100;
// The longest text value, and the most work area an expression may take.
constexpr int kMaxTextLength = 65535;
constexpr size_t kMaxWork = size_t{1} << 20;
constexpr size_t kMaxNameLength = 10;

int g_failure_offset = 0;

// What the parser knows of a parsed subexpression.
struct Operand {
  ValueType type = ValueType::kNone;
  int length = 0;
  int start = 0;  // its first instruction
  uint8_t depends = 0;
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_text(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (upper_ascii(a[i]) != upper_ascii(b[i])) return false;
  return true;
}

// Whether a value of type `have` may stand for a parameter of type `want`.
bool fits(ValueType want, ValueType have) {
  return want == have || (want == ValueType::kNumberConstant && have == ValueType::kNumber);
}

// Rows that build their text in a work area region of their own.
bool builds_text(OpId id) {
  switch (id) {
    case OpId::kAdd: case OpId::kSubtract: case OpId::kChr: case OpId::kStr: case OpId::kTime:
    case OpId::kUpper: case OpId::kDtos: case OpId::kDtoc:
      return true;
    default:
      return false;
  }
}

// A double parameter as an int, saturating.
int to_int(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(std::round(v), -1e9, 1e9));
}

// The table's name as an alias: its file name without folder and extension.
std::string alias_of(const Table* t) {
  std::string name = t->name;
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

class Parser {
 public:
  Parser(Table* table, const char* source)
      : expr_(std::make_unique<Expr>()), s_(source), size_(std::strlen(source)) {
    expr_->table = table;
    expr_->source = source;
  }

  Expr* run() {
    Operand top;
    skip_blanks();
    if (at_end()) {
      fail(kErrIncomplete, pos_);
    } else if (binary(1, &top)) {
      skip_blanks();
      if (!at_end()) fail(kErrOperator, pos_);
    }
    if (error_) return report();
    expr_->stack.resize(static_cast<size_t>(max_stack_) + 1);
    expr_->work.resize(work_used_ + 1);
    return expr_.release();
  }

 private:
  // --- Scanning ------------------------------------------------------------

  bool at_end() const { return pos_ >= size_; }
  char peek(size_t ahead = 0) const { return pos_ + ahead < size_ ? s_[pos_ + ahead] : 0; }
  void skip_blanks() {
    while (!at_end() && is_blank(s_[pos_])) ++pos_;
  }
  bool text_at(size_t at, const char* text, size_t n) const {
    return at + n <= size_ && same_text(s_ + at, text, n);
  }

  bool fail(int code, size_t at, std::string detail = {}) {
    if (!error_) {
      error_ = code;
      error_at_ = at;
      detail_ = std::move(detail);
    }
    return false;
  }

  Expr* report() {
    g_failure_offset = static_cast<int>(error_at_);
    Engine* e = expr_->table->engine;
    if (e->reportExpressionFailure)
      report_error(e, error_, expr_->source.c_str(), detail_.empty() ? nullptr : detail_.c_str());
    else
      e->lastError = error_;
    return nullptr;
  }

  // --- Emitting ------------------------------------------------------------

  // Appends an instruction for `row` taking `args` values (the first of them
  // `first`), and describes its result in *out.
  bool emit(const OpRow* row, ValueType type, int length, int args, const Operand* first,
            uint8_t depends, Operand* out, Instr* proto = nullptr) {
    if (length > kMaxTextLength)
      return fail(kErrMemory, pos_, "Expression too large");
    Instr in = proto ? *proto : Instr{};
    in.eval = row->eval;
    in.row = row;
    in.type = type;
    in.length = type == ValueType::kText ? length : type == ValueType::kLogical ? 1 : 8;
    in.args = args;
    in.start = args > 0 ? first->start : static_cast<int>(expr_->code.size());
    in.depends = static_cast<uint8_t>(depends | row->depends);
    if (type == ValueType::kText && builds_text(row->id)) {
      if (work_used_ + static_cast<size_t>(length) > kMaxWork)
        return fail(kErrMemory, pos_, "Expression too large");
      in.offset = static_cast<int>(work_used_);
      work_used_ += static_cast<size_t>(length);
    }
    stack_depth_ += 1 - args;
    max_stack_ = std::max(max_stack_, stack_depth_);
    out->type = type;
    out->length = in.length;
    out->start = in.start;
    out->depends = in.depends;
    expr_->code.push_back(in);
    return true;
  }

  // The value of the constant subexpression [begin, end), worked out now.
  double fold(int begin, int end) {
    expr_->stack.resize(static_cast<size_t>(max_stack_) + 1);
    expr_->work.resize(work_used_ + 1);
    return expr_run(expr_.get(), begin, end).number;
  }

  // --- Grammar -------------------------------------------------------------

  // operators of at least `min_priority`, left to right
  bool binary(int min_priority, Operand* out) {
    if (!unary(out)) return false;
    for (;;) {
      skip_blanks();
      // What follows is no operator: the caller decides whether it may
      // stand there (a bracket, a comma, the end).
      const OpRow* op = operator_at(pos_);
      if (!op || op->priority < min_priority) return true;
      size_t op_at = pos_;
      pos_ += op->name_length;
      Operand right;
      skip_blanks();
      if (at_end()) return fail(kErrIncomplete, pos_);
      if (!binary(op->priority + 1, &right)) return false;
      const OpRow* variant = pick(op, {*out, right});
      if (!variant) return fail(kErrType, op_at);
      Operand left = *out;
      int length = variant->result == ValueType::kText ? left.length + right.length : 0;
      if (!emit(variant, variant->result, length, 2, &left, left.depends | right.depends, out))
        return false;
    }
  }

  bool unary(Operand* out) {
    if (++depth_ > kMaxDepth) return fail(kErrOverflow, pos_);
    bool ok = not_or_operand(out);
    --depth_;
    return ok;
  }

  bool not_or_operand(Operand* out) {
    skip_blanks();
    if (at_end()) return fail(kErrIncomplete, pos_);
    const OpRow* op = named_row_at(pos_, /*operators=*/true, /*params=*/1);
    if (!op) return operand(out);
    size_t op_at = pos_;
    pos_ += op->name_length;
    Operand arg;
    if (!binary(op->priority, &arg)) return false;
    if (arg.type != ValueType::kLogical) return fail(kErrType, op_at);
    return emit(op, ValueType::kLogical, 0, 1, &arg, arg.depends, out);
  }

  bool operand(Operand* out) {
    size_t at = pos_;
    char c = peek();
    if (c == '(') {
      ++pos_;
      if (!binary(1, out)) return false;
      skip_blanks();
      if (peek() != ')') return fail(kErrRightBracket, pos_);
      ++pos_;
      return true;
    }
    if (c == '\'' || c == '"' || c == '[') return text_constant(out);
    if (number_starts_at(pos_)) return number_constant(out);
    if (c == '.') {
      const OpRow* constant = named_row_at(pos_, /*operators=*/false, 0);
      if (!constant) return fail(kErrValue, at);
      pos_ += constant->name_length;
      return emit(constant, constant->result, 0, 0, nullptr, 0, out);
    }
    if (is_name_start(c)) return name(out);
    return fail(kErrValue, at);
  }

  bool text_constant(Operand* out) {
    char close = peek() == '[' ? ']' : peek();
    size_t at = pos_;
    const char* end = static_cast<const char*>(std::memchr(s_ + pos_ + 1, close, size_ - pos_ - 1));
    if (!end) return fail(kErrString, at);
    size_t length = static_cast<size_t>(end - (s_ + pos_ + 1));
    Instr in;
    in.offset = static_cast<int>(expr_->constants.size());
    expr_->constants.append(s_ + pos_ + 1, length);
    pos_ = static_cast<size_t>(end - s_) + 1;
    return emit(row_of(OpId::kTextConstant, ValueType::kText), ValueType::kText,
                static_cast<int>(length), 0, nullptr, 0, out, &in);
  }

  bool number_starts_at(size_t at) const {
    size_t p = at;
    if (p < size_ && (s_[p] == '+' || s_[p] == '-')) ++p;
    if (p < size_ && is_digit(s_[p])) return true;
    return p + 1 < size_ && s_[p] == '.' && is_digit(s_[p + 1]);
  }

  // A sign, digits and one decimal point.
  bool number_constant(Operand* out) {
    size_t begin = pos_;
    if (peek() == '+' || peek() == '-') ++pos_;
    bool point = false;
    while (!at_end() && (is_digit(peek()) || (peek() == '.' && !point && !point_starts_keyword()))) {
      if (peek() == '.') point = true;
      ++pos_;
    }
    Instr in;
    in.number = textToDouble(s_ + begin, static_cast<int>(pos_ - begin));
    return emit(row_of(OpId::kNumberConstant, ValueType::kNumber), ValueType::kNumber, 0, 0,
                nullptr, 0, out, &in);
  }

  // A point after a number that begins an operator such as .AND.
  bool point_starts_keyword() const { return is_name_start(peek(1)); }

  bool name(Operand* out) {
    size_t at = pos_;
    while (!at_end() && is_name_char(peek())) ++pos_;
    std::string word(s_ + at, pos_ - at);
    size_t after = pos_;
    skip_blanks();
    if (peek() == '(') return function(word, at, out);
    if (peek() == '-' && peek(1) == '>') {
      Table* other = table_named(word);
      if (!other) return fail(kErrTableName, at, word);
      pos_ += 2;
      skip_blanks();
      return field_of(other, out);
    }
    pos_ = after;
    if (peek() == '.' && is_name_start(peek(1))) {
      // NAME.FIELD names a field of another open table; otherwise the point
      // begins an operator.
      if (Table* other = table_named(word)) {
        ++pos_;
        return field_of(other, out);
      }
    }
    return field(expr_->table, word, at, out);
  }

  Table* table_named(const std::string& word) const {
    for (const auto& t : expr_->table->engine->tables) {
      std::string alias = alias_of(t.get());
      if (alias.size() == word.size() && same_text(alias.c_str(), word.c_str(), word.size()))
        return t.get();
    }
    return nullptr;
  }

  bool field_of(Table* table, Operand* out) {
    size_t at = pos_;
    if (!is_name_start(peek())) return fail(kErrValue, at);
    while (!at_end() && is_name_char(peek())) ++pos_;
    return field(table, std::string(s_ + at, pos_ - at), at, out);
  }

  bool field(Table* table, const std::string& word, size_t at, Operand* out) {
    Field* f = word.size() <= kMaxNameLength ? find_field(table, word) : nullptr;
    if (!f) return fail(kErrValue, at, word);
    ValueType type = field_type(f);
    if (type == ValueType::kNone) return fail(kErrType, at, "Unknown field type");
    Instr in;
    in.field = f;
    return emit(row_of(OpId::kField, type), type, static_cast<int>(f->width), 0, nullptr, 0, out,
                &in);
  }

  static Field* find_field(Table* table, const std::string& word) {
    char wanted[kMaxNameLength + 1] = {};
    for (size_t i = 0; i < word.size(); ++i) wanted[i] = upper_ascii(word[i]);
    for (int i = 1; i <= dbfFieldCount(table); ++i) {
      Field* f = dbfFieldByNumber(table, i);
      if (std::strcmp(f->name, wanted) == 0) return f;
    }
    return nullptr;
  }

  // C and M fields are text; N and F numbers, as are the binary integer,
  // currency and double fields of later tables; D dates; L logicals.
  static ValueType field_type(const Field* f) {
    switch (f->type) {
      case 'C': case 'M': return ValueType::kText;
      case 'N': case 'F': return ValueType::kNumber;
      case 'I': return f->width == 4 ? ValueType::kNumber : ValueType::kNone;
      case 'Y': case 'B': return f->width == 8 ? ValueType::kNumber : ValueType::kNone;
      case 'D': return ValueType::kDate;
      case 'L': return ValueType::kLogical;
      default: return ValueType::kNone;
    }
  }

  bool function(const std::string& word, size_t at, Operand* out) {
    const OpRow* named = function_named(word);
    if (!named) return fail(kErrFunction, at, word);
    ++pos_;  // the bracket
    std::vector<Operand> args;
    skip_blanks();
    if (peek() == ')') {
      ++pos_;
    } else {
      for (;;) {
        Operand arg;
        if (!binary(1, &arg)) return false;
        args.push_back(arg);
        skip_blanks();
        if (peek() == ')') {
          ++pos_;
          break;
        }
        if (at_end()) return fail(kErrRightBracket, pos_);
        if (peek() != ',') return fail(kErrCommaOrBracket, pos_);
        ++pos_;
      }
    }
    bool count_fits = false;
    const OpRow* chosen = nullptr;
    for (const OpRow* r = named; r == named || (r->eval && r->name[0] == 0); ++r) {
      if (r->params != static_cast<int>(args.size())) continue;
      count_fits = true;
      bool all = true;
      for (size_t i = 0; i < args.size(); ++i) all = all && fits(r->param[i], args[i].type);
      if (all) {
        chosen = r;
        break;
      }
    }
    if (!chosen) return fail(count_fits ? kErrType : kErrParameterCount, at);
    return call(chosen, args, at, out);
  }

  // Emits the call of `row` with `args`, folding its constant parameters.
  bool call(const OpRow* row, std::vector<Operand>& args, size_t at, Operand* out) {
    int constants[3] = {0, 0, 0};
    size_t kept = args.size();
    for (size_t i = 0; i < args.size(); ++i) {
      if (row->param[i] != ValueType::kNumberConstant) continue;
      if (args[i].depends) return fail(kErrConstantParameter, at);
      int end = i + 1 < args.size() ? args[i + 1].start : static_cast<int>(expr_->code.size());
      constants[i] = to_int(fold(args[i].start, end));
      kept = std::min(kept, i);
    }
    if (kept < args.size()) {
      expr_->code.resize(static_cast<size_t>(args[kept].start));
      stack_depth_ -= static_cast<int>(args.size() - kept);
    }
    const Operand* first = args.empty() ? nullptr : &args[0];
    uint8_t depends = 0;
    for (const Operand& a : args) depends |= a.depends;
    Instr in;
    int length = 0;
    switch (row->id) {
      case OpId::kChr: length = 1; break;
      case OpId::kDel: length = 1; break;
      case OpId::kTime: case OpId::kDtos: length = 8; break;
      case OpId::kUpper: case OpId::kTrim: case OpId::kLtrim: length = args[0].length; break;
      case OpId::kStr:
        in.p1 = args.size() > 1 ? std::clamp(constants[1], 0, kMaxTextLength) : 10;
        in.p2 = args.size() > 2 ? std::max(constants[2], 0) : 0;
        length = in.p1;
        break;
      case OpId::kSubstr: case OpId::kLeft: {
        bool left = row->id == OpId::kLeft;
        in.p1 = left ? 1 : std::max(constants[1], 1);
        int wanted = std::max(left ? constants[1] : constants[2], 0);
        length = std::clamp(args[0].length - (in.p1 - 1), 0, wanted);
        break;
      }
      case OpId::kDtoc: case OpId::kCtod: {
        const std::string& picture = expr_->table->engine->dateFormat;
        in.p2 = static_cast<int>(expr_->constants.size());
        in.p1 = static_cast<int>(std::min<size_t>(picture.size(), 20));
        expr_->constants.append(picture, 0, static_cast<size_t>(in.p1));
        length = in.p1;
        break;
      }
      case OpId::kIif:
        if (row->result == ValueType::kText && args[1].length != args[2].length)
          return fail(kErrIifLengths, at);
        length = args[1].length;
        break;
      default: break;
    }
    return emit(row, row->result, length, static_cast<int>(kept), first, depends, out, &in);
  }

  // --- The table -------------------------------------------------------------

  static const OpRow* row_of(OpId id, ValueType result) {
    for (const OpRow* r = kOpTable; r->eval; ++r)
      if (r->id == id && r->result == result) return r;
    return nullptr;
  }

  static const OpRow* function_named(const std::string& word) {
    for (const OpRow* r = kOpTable; r->eval; ++r)
      if (r->priority == 0 && r->name_length == word.size() && r->name[0] != '.' &&
          same_text(r->name, word.c_str(), word.size()))
        return r;
    return nullptr;
  }

  // The longest named row at `at`: operators (priority above 0) taking
  // `params` values, or constants.
  const OpRow* named_row_at(size_t at, bool operators, int params) const {
    const OpRow* best = nullptr;
    for (const OpRow* r = kOpTable; r->eval; ++r) {
      if (r->name_length == 0 || (r->priority > 0) != operators || r->params != params) continue;
      if (!operators && r->name[0] != '.') continue;
      if (text_at(at, r->name, r->name_length) && (!best || r->name_length > best->name_length))
        best = r;
    }
    return best;
  }

  const OpRow* operator_at(size_t at) const { return named_row_at(at, true, 2); }

  // The row among `op` and its variants whose parameter types fit.
  static const OpRow* pick(const OpRow* op, std::initializer_list<Operand> args) {
    for (const OpRow* r = op; r == op || (r->eval && r->name[0] == 0); ++r) {
      bool all = true;
      int i = 0;
      for (const Operand& a : args) all = all && fits(r->param[i++], a.type);
      if (all) return r;
    }
    return nullptr;
  }

  std::unique_ptr<Expr> expr_;
  const char* s_;
  size_t size_;
  size_t pos_ = 0;
  int depth_ = 0;
  int stack_depth_ = 0;
  int max_stack_ = 0;
  size_t work_used_ = 0;
  int error_ = 0;
  size_t error_at_ = 0;
  std::string detail_;
};

}  // namespace

Expr* exprParse(Table* table, const char* source) {
  if (!table) return nullptr;
  return Parser(table, source ? source : "").run();
}

int expr_failure_offset() { return g_failure_offset; }

}  // namespace qx::dbf
