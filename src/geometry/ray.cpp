// Rays (a point and a direction) and planes, which are the same record read
// as a point on the plane and its normal.  No trace frame.
#include <cmath>

#include "geometry/geometry_internal.h"
#include "qx/memory.h"
#include "qx/quaternion.h"

extern "C" {

qx_Ray* qx_Ray_create(const qx_Point* point, const qx_Vector* vector) {
  if (!point || !vector) return nullptr;
  auto* ray = static_cast<qx_Ray*>(qx_Malloc(sizeof(qx_Ray)));
  if (ray) *ray = {*point, *vector};
  return ray;
}

void qx_Ray_destroy(qx_Ray* ray) {
  if (ray) qx_Free(ray);
}

int qx_Ray_set(qx_Ray* ray, const qx_Point* point, const qx_Vector* vector) {
  if (!ray || !point || !vector) return 0;
  *ray = {*point, *vector};
  return 1;
}

int qx_Ray_getPoint(qx_Point* out, const qx_Ray* ray) {
  if (!out || !ray) return 0;
  *out = ray->point;
  return 1;
}

int qx_Ray_getVector(qx_Vector* out, const qx_Ray* ray) {
  if (!out || !ray) return 0;
  *out = ray->vector;
  return 1;
}

qx_Plane* qx_Plane_create(const qx_Point* point, const qx_Vector* normal) {
  return qx_Ray_create(point, normal);
}

void qx_Plane_destroy(qx_Plane* plane) { qx_Ray_destroy(plane); }

int qx_Plane_set(qx_Plane* plane, const qx_Point* point, const qx_Vector* normal) {
  return qx_Ray_set(plane, point, normal);
}

int qx_Plane_getPoint(qx_Point* out, const qx_Plane* plane) { return qx_Ray_getPoint(out, plane); }

int qx_Plane_getOrthoVector(qx_Vector* out, const qx_Plane* plane) {
  return qx_Ray_getVector(out, plane);
}

int qx_Plane_intersectionWithRay(qx_Point* out, const qx_Plane* plane, const qx_Ray* ray) {
  if (!out || !plane || !ray) return 0;
  qx_Vector n, d;
  if (!qx_Vector_copyNormalize(&n, &plane->vector) || !qx_Vector_copyNormalize(&d, &ray->vector))
    return 0;
  const qx_Point r0 = ray->point;
  qx_Vector w = qx::geometry::diff(plane->point, r0);
  double den = qx::geometry::dot(n, d);
  // A ray running along the plane never meets it; behind its start it may.
  if (!(std::fabs(den) > qx::geometry::kTol)) return 0;
  double t = qx::geometry::dot(n, w) / den;
  *out = {r0.x + t * d.x, r0.y + t * d.y, r0.z + t * d.z};
  return 1;
}

}  // extern "C"
