// Shared by the geometry sources: the trace families, the fixed tolerance
// and the few three-component helpers the algorithms are written with.
#ifndef QX_GEOMETRY_INTERNAL_H
#define QX_GEOMETRY_INTERNAL_H

#include <cmath>

#include "core/trace.h"
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

}  // namespace qx::geometry

#endif  // QX_GEOMETRY_INTERNAL_H
