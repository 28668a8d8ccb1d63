// General matrices of any size, stored by column: column j is an n-tuple
// whose element i is the element in row i.  Traced under the matrix family
// (which rotation and transformation matrices share), except add, subtract
// and scale.  Transpose and multiply work in a temporary so that the
// destination may be one of the operands.
#include <vector>

#include "geometry/geometry_internal.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/matrix.h"
#include "qx/memory.h"

namespace qx::geometry {
extern const TraceFamily kMatrixTrace{QX_DIAG_MATRIX, "Leaving", __FILE__};
}  // namespace qx::geometry

namespace {

using qx::geometry::column_of;
using qx::geometry::columns_of;
using qx::geometry::element_of;
using qx::geometry::kMatrixTrace;
using qx::geometry::rows_of;

// Releases the columns made so far and the record (for a create that
// failed half-way, and for destroy).
void release(qx_Matrix* m, int made) {
  for (int j = 0; j < made; ++j) qx_Ntuple_destroy(m->column[j]);
  qx_Free(m->column);
  qx_Free(m);
}

// A well-formed rows x cols matrix: every column present with exactly
// `rows` elements.
bool well_formed(const qx_Matrix* m, int rows, int cols) {
  if (columns_of(m) != cols) return false;
  for (int j = 0; j < cols; ++j) {
    const qx_Ntuple* c = column_of(m, j);
    if (!c || c->n != rows || (rows > 0 && !c->elements)) return false;
  }
  return true;
}

// Transpose and multiply are written as steps over temporary matrices and
// n-tuples, each step a traced operation.  When those steps would write no
// trace line, the same arithmetic in the same order runs on the columns
// directly, without the temporaries and their allocations.
bool steps_silent() {
  return !qx::trace_enabled(kMatrixTrace) && !qx::trace_enabled(qx::geometry::kNtupleTrace);
}

int transpose_direct(qx_Matrix* dst, const qx_Matrix* src, int rows, int cols) {
  if (!well_formed(src, rows, cols) || !well_formed(dst, cols, rows)) return 0;
  std::vector<double> values(static_cast<size_t>(rows) * cols);
  for (int j = 0; j < cols; ++j)
    for (int i = 0; i < rows; ++i) values[static_cast<size_t>(i) * cols + j] = *element_of(src, i, j);
  for (int j = 0; j < cols; ++j)
    for (int i = 0; i < rows; ++i) *element_of(dst, j, i) = values[static_cast<size_t>(i) * cols + j];
  return 1;
}

int multiply_direct(qx_Matrix* dst, const qx_Matrix* a, const qx_Matrix* b, int rows, int inner,
                    int cols) {
  if (!well_formed(a, rows, inner) || !well_formed(b, inner, cols) ||
      !well_formed(dst, rows, cols))
    return 0;
  std::vector<double> product(static_cast<size_t>(rows) * cols);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) {
      double sum = 0.0;
      for (int k = 0; k < inner; ++k) sum += *element_of(a, i, k) * *element_of(b, k, j);
      product[static_cast<size_t>(i) * cols + j] = sum;
    }
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) *element_of(dst, i, j) = product[static_cast<size_t>(i) * cols + j];
  return 1;
}

// Applies an n-tuple operation column by column; stops at the first column
// that fails.
template <typename Op>
int column_by_column(qx_Matrix* dst, const qx_Matrix* a, const qx_Matrix* b, Op op) {
  int n = columns_of(dst);
  if (!dst || !a || !b || columns_of(a) != n || columns_of(b) != n) return 0;
  for (int j = 0; j < n; ++j)
    if (!op(column_of(dst, j), column_of(a, j), column_of(b, j))) return 0;
  return 1;
}

}  // namespace

extern "C" {

qx_Matrix* qx_Matrix_create(int rows, int columns) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_create");
  if (rows < 0 || columns < 0) QX_RETURN(static_cast<qx_Matrix*>(nullptr));
  auto* m = static_cast<qx_Matrix*>(qx_Malloc(sizeof(qx_Matrix)));
  if (!m) QX_RETURN(m);
  m->columns = columns;
  m->column = static_cast<qx_Ntuple**>(
      qx_Malloc(static_cast<size_t>(columns > 0 ? columns : 1) * sizeof(qx_Ntuple*)));
  if (!m->column) {
    qx_Free(m);
    QX_RETURN(static_cast<qx_Matrix*>(nullptr));
  }
  for (int j = 0; j < columns; ++j) {
    m->column[j] = qx_Ntuple_create(rows);
    if (!m->column[j]) {
      release(m, j);
      QX_RETURN(static_cast<qx_Matrix*>(nullptr));
    }
    if (j < rows) m->column[j]->elements[j] = 1.0;
  }
  QX_RETURN(m);
}

void qx_Matrix_destroy(qx_Matrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_destroy");
  if (m) release(m, m->column ? m->columns : 0);
  QX_RETURN_VOID();
}

int qx_Matrix_numberRows(int* out, const qx_Matrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_numberRows");
  if (!out || !column_of(m, 0)) QX_RETURN(0);
  *out = rows_of(m);
  QX_RETURN(1);
}

int qx_Matrix_numberColumns(int* out, const qx_Matrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_numberCols");
  if (!out || !m) QX_RETURN(0);
  *out = m->columns;
  QX_RETURN(1);
}

int qx_Matrix_getElement(double* out, const qx_Matrix* m, int row, int column) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_getElement");
  const double* e = element_of(m, row, column);
  if (!out || !e) QX_RETURN(0);
  *out = *e;
  QX_RETURN(1);
}

int qx_Matrix_setElement(qx_Matrix* m, int row, int column, double value) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_setElement");
  double* e = element_of(m, row, column);
  if (!e) QX_RETURN(0);
  *e = value;
  QX_RETURN(1);
}

int qx_Matrix_copy(qx_Matrix* dst, const qx_Matrix* src) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_copy");
  if (!dst || !src || columns_of(dst) != columns_of(src)) QX_RETURN(0);
  for (int j = 0; j < columns_of(src); ++j)
    if (!qx_Ntuple_copy(column_of(dst, j), column_of(src, j))) QX_RETURN(0);
  QX_RETURN(1);
}

int qx_Matrix_getColumn(qx_Ntuple* out, const qx_Matrix* m, int column) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_getColumn");
  const qx_Ntuple* c = column_of(m, column);
  if (!out || !c || out->n != rows_of(m)) QX_RETURN(0);
  QX_RETURN(qx_Ntuple_copy(out, c));
}

int qx_Matrix_getRow(qx_Ntuple* out, const qx_Matrix* m, int row) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_getRow");
  int n = columns_of(m);
  if (!out || !m || !out->elements || out->n != n || row < 0 || row >= rows_of(m)) QX_RETURN(0);
  for (int j = 0; j < n; ++j)
    if (!element_of(m, row, j)) QX_RETURN(0);
  for (int j = 0; j < n; ++j) out->elements[j] = *element_of(m, row, j);
  QX_RETURN(1);
}

int qx_Matrix_setColumn(qx_Matrix* m, int column, const qx_Ntuple* t) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_setColumn");
  qx_Ntuple* c = column_of(m, column);
  if (!c || !t || t->n != rows_of(m)) QX_RETURN(0);
  QX_RETURN(qx_Ntuple_copy(c, t));
}

int qx_Matrix_setRow(qx_Matrix* m, int row, const qx_Ntuple* t) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_setRow");
  int n = columns_of(m);
  if (!m || !t || !t->elements || t->n < n || row < 0 || row >= rows_of(m)) QX_RETURN(0);
  for (int j = 0; j < n; ++j)
    if (!element_of(m, row, j)) QX_RETURN(0);
  for (int j = 0; j < n; ++j) *element_of(m, row, j) = t->elements[j];
  QX_RETURN(1);
}

void qx_Matrix_print(const qx_Matrix* m, FILE* stream) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_print");
  if (!m) QX_RETURN_VOID();
  FILE* out = stream ? stream : stdout;
  int rows = rows_of(m);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < columns_of(m); ++j) {
      const double* e = element_of(m, i, j);
      qx::port::wfprintf(out, u"%lf ", e ? *e : 0.0);
    }
    qx::port::wfprintf(out, u"\n");
  }
  qx::port::wfprintf(out, u"\n");
  QX_RETURN_VOID();
}

int qx_Matrix_transpose(qx_Matrix* dst, const qx_Matrix* src) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_transpose");
  if (!dst || !src) QX_RETURN(0);
  int src_rows = rows_of(src), src_cols = columns_of(src);
  if (src_rows != columns_of(dst) || src_cols != rows_of(dst)) QX_RETURN(0);
  if (steps_silent()) QX_RETURN(transpose_direct(dst, src, src_rows, src_cols));
  qx_Matrix* tmp = qx_Matrix_create(rows_of(dst), columns_of(dst));
  if (!tmp) QX_RETURN(0);
  // Column k of src becomes row k of the result.
  int ok = 1;
  for (int k = 0; k < src_cols && ok; ++k) {
    qx_Ntuple* col = qx_Ntuple_create(src_rows);
    ok = col && qx_Matrix_getColumn(col, src, k) && qx_Matrix_setRow(tmp, k, col);
    qx_Ntuple_destroy(col);
  }
  if (ok) ok = qx_Matrix_copy(dst, tmp);
  qx_Matrix_destroy(tmp);
  QX_RETURN(ok);
}

int qx_Matrix_multiply(qx_Matrix* dst, const qx_Matrix* a, const qx_Matrix* b) {
  QX_TRACE(kMatrixTrace, u"qx_Matrix_multiply");
  if (!dst || !a || !b) QX_RETURN(0);
  int rows = rows_of(a), inner = columns_of(a), cols = columns_of(b);
  if (inner != rows_of(b) || rows_of(dst) != rows || columns_of(dst) != cols) QX_RETURN(0);
  if (steps_silent()) QX_RETURN(multiply_direct(dst, a, b, rows, inner, cols));
  qx_Matrix* tmp = qx_Matrix_create(rows, cols);
  if (!tmp) QX_RETURN(0);
  // Element (i, j) is row i of a dotted with column j of b.
  int ok = 1;
  for (int i = 0; i < rows && ok; ++i) {
    for (int j = 0; j < cols && ok; ++j) {
      qx_Ntuple* row = qx_Ntuple_create(inner);
      qx_Ntuple* col = qx_Ntuple_create(inner);
      double value = 0.0;
      ok = row && col && qx_Matrix_getRow(row, a, i) && qx_Matrix_getColumn(col, b, j) &&
           qx_Ntuple_dotProduct(&value, row, col) && qx_Matrix_setElement(tmp, i, j, value);
      qx_Ntuple_destroy(row);
      qx_Ntuple_destroy(col);
    }
  }
  if (ok) ok = qx_Matrix_copy(dst, tmp);
  qx_Matrix_destroy(tmp);
  QX_RETURN(ok);
}

int qx_Matrix_add(qx_Matrix* dst, const qx_Matrix* a, const qx_Matrix* b) {
  return column_by_column(dst, a, b, qx_Ntuple_add);
}

int qx_Matrix_subtract(qx_Matrix* dst, const qx_Matrix* a, const qx_Matrix* b) {
  return column_by_column(dst, a, b, qx_Ntuple_subtract);
}

int qx_Matrix_scale(qx_Matrix* dst, const qx_Matrix* src, double s) {
  if (!qx_Matrix_copy(dst, src)) return 0;
  for (int j = 0; j < columns_of(dst); ++j)
    if (!qx_Ntuple_scale(column_of(dst, j), s)) return 0;
  return 1;
}

}  // extern "C"
