// The expression language of tag keys, tag filters and queries: dBASE
// expressions over the fields of a table, in 8-bit text.  An expression is
// parsed once into a compact form and then evaluated for the table's current
// record buffer without allocating.
#ifndef QX_DBF_EXPR_H
#define QX_DBF_EXPR_H

namespace qx::dbf {

struct Table;
struct Expr;

// Parses `source` against the fields of `table`; null on a parse error, which
// is reported through the engine (its code in lastError).
Expr* exprParse(Table* table, const char* source);
void exprFree(Expr* expr);

// The result type: 'C' text, 'N' number, 'D' date, 'L' logical (numbers and
// dates held as values report as 'N' and 'D').
char exprType(const Expr* expr);
// The length of the result: the text's length for 'C', 8 for 'N' and 'D',
// 1 for 'L'.
int exprKeyLength(const Expr* expr);
// The text the expression was parsed from.
const char* exprSource(const Expr* expr);

// Evaluates for the table's current record.  'C': exprKeyLength bytes into
// `text`; 'N': the number in *number; 'D': the Julian day in *number (0 for
// a blank date); 'L': 1 or 0 in *number.  0 or a negative error.
int exprEvaluate(Expr* expr, char* text, double* number);
// Evaluates a logical expression: 1 true, 0 false; a non-logical one gives
// error -950.
int exprTrue(Expr* expr);

// Where the last exprParse that failed stopped: the offset in its source of
// the token it could not take (0 when none failed yet).
int expr_failure_offset();

}  // namespace qx::dbf

#endif  // QX_DBF_EXPR_H
