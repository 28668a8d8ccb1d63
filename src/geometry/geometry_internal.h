// Shared by the geometry sources: the trace families, the fixed tolerance
// and the few three-component helpers the algorithms are written with.
#ifndef QX_GEOMETRY_INTERNAL_H
#define QX_GEOMETRY_INTERNAL_H

#include <cmath>

#include "core/trace.h"
#include "qx/matrix.h"
#include "qx/point.h"

namespace qx::geometry {

// Each traced family names its own source file in trace lines; rotation and
// transformation matrices trace as matrices.
extern const TraceFamily kPointTrace;   // point.cpp, bit 8
extern const TraceFamily kVectorTrace;  // vector.cpp, bit 32
extern const TraceFamily kNtupleTrace;  // ntuple.cpp, bit 128
extern const TraceFamily kMatrixTrace;  // matrix.cpp, bit 16

constexpr double kTol = QX_GEOM_TOL;
// The value the library has always used for a half turn in its rotation
// helpers (not M_PI: results must match to the last digit).
constexpr double kHalfTurn = 3.1415926536;

// Strict: a difference equal to the tolerance is outside it, NaN always is.
inline bool within(double diff, double tol) { return std::fabs(diff) < tol; }

// Coordinate access shared by points and vectors (one record type): 1 when
// done, 0 for a null record or output.
inline int set_field(double qx_Point::*field, qx_Point* p, double value) {
  if (!p) return 0;
  p->*field = value;
  return 1;
}
inline int get_field(double qx_Point::*field, double* out, const qx_Point* p) {
  if (!out || !p) return 0;
  *out = p->*field;
  return 1;
}
// Every coordinate differs by less than the tolerance.
inline bool equal_within(const qx_Point& a, const qx_Point& b, double tol) {
  return within(a.x - b.x, tol) && within(a.y - b.y, tol) && within(a.z - b.z, tol);
}

inline qx_Vector diff(const qx_Point& to, const qx_Point& from) {
  return {to.x - from.x, to.y - from.y, to.z - from.z};
}
inline double dot(const qx_Vector& u, const qx_Vector& v) {
  return u.x * v.x + u.y * v.y + u.z * v.z;
}
inline double length(const qx_Vector& v) { return std::sqrt(dot(v, v)); }
inline qx_Vector cross(const qx_Vector& u, const qx_Vector& v) {
  return {u.y * v.z - u.z * v.y, -(u.x * v.z - u.z * v.x), u.x * v.y - u.y * v.x};
}
// A vector counts as a direction only when longer than the tolerance; NaN
// lengths do not.
inline bool long_enough(double len) { return len > kTol; }

// --- matrix records ------------------------------------------------------
// Matrices are plain records a caller may have built by hand, so nothing
// here trusts them: a missing column or element reads as absent.

// Column j, or null when the matrix has no such column.
inline qx_Ntuple* column_of(const qx_Matrix* m, int j) {
  if (!m || !m->column || j < 0 || j >= m->columns) return nullptr;
  return m->column[j];
}

// Rows are the count of column 0; a matrix without columns has none.
inline int rows_of(const qx_Matrix* m) {
  const qx_Ntuple* c0 = column_of(m, 0);
  return c0 ? c0->n : 0;
}

inline int columns_of(const qx_Matrix* m) { return m && m->column ? m->columns : 0; }

inline double* element_of(const qx_Matrix* m, int row, int col) {
  qx_Ntuple* c = column_of(m, col);
  if (!c || !c->elements || row < 0 || row >= c->n) return nullptr;
  return &c->elements[row];
}

}  // namespace qx::geometry

#endif  // QX_GEOMETRY_INTERNAL_H
