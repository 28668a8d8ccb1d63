// Evaluating a parsed expression for the current record, and what the
// caller may ask of it: its type, its key length and its source.
#include <cstring>

#include "dbf/error.h"
#include "dbf/expr_internal.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

const Instr& result_of(const Expr* expr) { return expr->code.back(); }

}  // namespace

const Value& expr_run(Expr* expr, int begin, int end) {
  Evaluation ev{expr, expr->stack.data(), expr->work.data(), expr->constants.data()};
  const Instr* code = expr->code.data();
  for (int i = begin; i < end; ++i) code[i].eval(ev, code[i]);
  return ev.sp[-1];
}

void exprFree(Expr* expr) { delete expr; }

char exprType(const Expr* expr) { return expr ? type_letter(result_of(expr).type) : 0; }

int exprKeyLength(const Expr* expr) { return expr ? result_of(expr).length : 0; }

const char* exprSource(const Expr* expr) { return expr ? expr->source.c_str() : ""; }

int exprEvaluate(Expr* expr, char* text, double* number) {
  if (!expr) return -1;
  const Value& v = expr_run(expr, 0, static_cast<int>(expr->code.size()));
  const Instr& result = result_of(expr);
  if (result.type == ValueType::kText) {
    if (!text) return 0;
    // A shorter result (after TRIM, say) is padded with blanks to the
    // expression's fixed length, as keys are.
    if (v.length > 0) std::memmove(text, v.text, static_cast<size_t>(v.length));
    std::memset(text + v.length, ' ', static_cast<size_t>(result.length - v.length));
  } else if (number) {
    *number = v.number;
  }
  return 0;
}

int exprTrue(Expr* expr) {
  if (!expr) return -1;
  if (result_of(expr).type != ValueType::kLogical)
    return report_error(expr->table->engine, kErrResult, "Expecting logical result.",
                        "exprTrue()");
  return expr_run(expr, 0, static_cast<int>(expr->code.size())).number != 0 ? 1 : 0;
}

}  // namespace qx::dbf
