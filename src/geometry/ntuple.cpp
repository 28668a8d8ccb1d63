// N-tuples: counted arrays of doubles, the columns of every matrix.
// Traced under the n-tuple family, except print, add and subtract.
#include <algorithm>

#include "geometry/geometry_internal.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/matrix.h"
#include "qx/memory.h"

namespace qx::geometry {
extern const TraceFamily kNtupleTrace{QX_DIAG_NTUPLE, "Leaving", __FILE__};
}  // namespace qx::geometry

namespace {

using qx::geometry::kNtupleTrace;

bool in_range(const qx_Ntuple* t, int i) { return t && t->elements && i >= 0 && i < t->n; }

bool same_count(const qx_Ntuple* a, const qx_Ntuple* b) {
  return a && b && a->n == b->n && (a->n == 0 || (a->elements && b->elements));
}

}  // namespace

extern "C" {

qx_Ntuple* qx_Ntuple_create(int n) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_create");
  if (n < 0) QX_RETURN(static_cast<qx_Ntuple*>(nullptr));
  auto* t = static_cast<qx_Ntuple*>(qx_Malloc(sizeof(qx_Ntuple)));
  if (!t) QX_RETURN(t);
  // One element at least, so that an empty n-tuple still has storage and a
  // null element pointer always means a broken record.
  size_t count = std::max<size_t>(static_cast<size_t>(n), 1);
  // Zero bits are 0.0; a zeroed block costs nothing until it is used.
  t->elements = static_cast<double*>(qx_Calloc(count, sizeof(double)));
  if (!t->elements) {
    qx_Free(t);
    QX_RETURN(static_cast<qx_Ntuple*>(nullptr));
  }
  t->n = n;
  QX_RETURN(t);
}

void qx_Ntuple_destroy(qx_Ntuple* t) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_destroy");
  if (t) {
    qx_Free(t->elements);
    qx_Free(t);
  }
  QX_RETURN_VOID();
}

int qx_Ntuple_setElement(qx_Ntuple* t, int i, double value) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_setElement");
  if (!in_range(t, i)) QX_RETURN(0);
  t->elements[i] = value;
  QX_RETURN(1);
}

int qx_Ntuple_getElement(double* out, const qx_Ntuple* t, int i) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_getElement");
  if (!out || !in_range(t, i)) QX_RETURN(0);
  *out = t->elements[i];
  QX_RETURN(1);
}

qx_Ntuple* qx_Ntuple_fromVector(const qx_Vector* v) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_fromVector");
  if (!v) QX_RETURN(static_cast<qx_Ntuple*>(nullptr));
  qx_Ntuple* t = qx_Ntuple_create(3);
  if (!t) QX_RETURN(t);
  t->elements[0] = v->x;
  t->elements[1] = v->y;
  t->elements[2] = v->z;
  QX_RETURN(t);
}

void qx_Ntuple_print(const qx_Ntuple* t, FILE* stream) {
  if (!t || (t->n > 0 && !t->elements)) return;
  FILE* out = stream ? stream : stdout;
  for (int i = 0; i < t->n; ++i)
    qx::port::wfprintf(out, i + 1 < t->n ? u"%-lf, " : u"%-lf", t->elements[i]);
  qx::port::wfprintf(out, u"\n");
}

int qx_Ntuple_scale(qx_Ntuple* t, double s) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_scale");
  if (!t || (t->n > 0 && !t->elements)) QX_RETURN(0);
  for (int i = 0; i < t->n; ++i) t->elements[i] *= s;
  QX_RETURN(1);
}

int qx_Ntuple_dotProduct(double* out, const qx_Ntuple* a, const qx_Ntuple* b) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_dotProduct");
  if (!out || !same_count(a, b)) QX_RETURN(0);
  double sum = 0.0;
  for (int i = 0; i < a->n; ++i) sum += a->elements[i] * b->elements[i];
  *out = sum;
  QX_RETURN(1);
}

int qx_Ntuple_copy(qx_Ntuple* dst, const qx_Ntuple* src) {
  QX_TRACE(kNtupleTrace, u"qx_Ntuple_copy");
  if (!same_count(dst, src)) QX_RETURN(0);
  if (dst != src) std::copy_n(src->elements, src->n, dst->elements);
  QX_RETURN(1);
}

int qx_Ntuple_add(qx_Ntuple* out, const qx_Ntuple* a, const qx_Ntuple* b) {
  if (!same_count(a, b) || !same_count(out, a)) return 0;
  for (int i = 0; i < a->n; ++i) out->elements[i] = a->elements[i] + b->elements[i];
  return 1;
}

int qx_Ntuple_subtract(qx_Ntuple* out, const qx_Ntuple* a, const qx_Ntuple* b) {
  if (!same_count(a, b) || !same_count(out, a)) return 0;
  for (int i = 0; i < a->n; ++i) out->elements[i] = a->elements[i] - b->elements[i];
  return 1;
}

}  // extern "C"
