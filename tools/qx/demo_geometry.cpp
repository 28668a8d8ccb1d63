// Demo section: points, matrices, coordinate systems and point lists.
#include <cmath>
#include <cstdio>
#include <string>

#include "demo.h"
#include "qx/geolist.h"
#include "qx/matrix.h"
#include "qx/point.h"
#include "qx/quaternion.h"
#include "qx/rotation.h"

namespace qxtool {
namespace {

constexpr double kPi = 3.141592653589793;

void show(const char* label, const qx_Point& p) {
  std::printf("  %-44s (%g, %g, %g)\n", label, p.x, p.y, p.z);
}

bool near(const qx_Point& p, double x, double y, double z) {
  return std::fabs(p.x - x) < 1e-9 && std::fabs(p.y - y) < 1e-9 && std::fabs(p.z - z) < 1e-9;
}

// Two pipe centre lines and where they cross, beyond the drawn segments.
bool lines() {
  std::printf("Points and lines (tolerance 1e-5):\n");
  qx_Point a1{0, 0, 0}, a2{1, 0, 0}, b1{5, -1, 0}, b2{5, 1, 0}, x{};
  int hit = qx_Point_intersectPoint(&x, &a1, &a2, &b1, &b2);
  show("X axis meets the line x = 5 at", x);
  qx_Point p{2, 3, 0}, foot{};
  qx_Point_projectOntoLine(&foot, &p, &a1, &a2);
  show("foot of (2, 3, 0) on the X axis", foot);
  qx_Point q{};
  qx_Point_fromDelimitedString(&q, u"1.5; 2; -4", u";");
  show("parsed from \"1.5; 2; -4\"", q);
  return hit == 1 && near(x, 5, 0, 0) && near(foot, 2, 0, 0) && near(q, 1.5, 2, -4);
}

// A nozzle placed in a local coordinate system, carried into the world.
bool frames() {
  std::printf("\nCoordinate systems:\n");
  qx_Point a0{0, 0, 0}, a1{1, 0, 0}, a2{0, 1, 0};
  qx_Point b0{5, 5, 0}, b1{5, 6, 0}, b2{4, 5, 0};
  qx_TMatrix* t = qx_TMatrix_create();
  qx_TMatrix_createFromUCS(t, &a0, &a1, &a2, &b0, &b1, &b2);
  std::printf("  world from local, turned a quarter about Z and moved to (5, 5, 0):\n");
  qx_Matrix_print(t, stdout);
  qx_Point nozzle{2, 0, 1}, placed{};
  qx_TMatrix_xform(&placed, t, &nozzle);
  show("local (2, 0, 1) lands at", placed);
  qx_TMatrix_destroy(t);

  qx_RotMatrix* r = qx_RotMatrix_create();
  qx_Vector axis{1, 1, 1};
  qx_RotMatrix_fromRotAxisAndAngle(r, &axis, 2 * kPi / 3);
  qx_Point x_tip{1, 0, 0};
  qx_RotMatrix_rotatePoint(&x_tip, r);
  qx_Point_setToTolerance(&x_tip);  // rounding dust below 1e-5 becomes 0
  show("a third of a turn about (1, 1, 1) takes X to", x_tip);
  qx_RotMatrix_destroy(r);

  qx_Plane deck{{0, 0, 12.5}, {0, 0, 1}};
  qx_Ray drop{{3, 4, 30}, {0.1, 0, -1}};
  qx_Point on_deck{};
  int met = qx_Plane_intersectionWithRay(&on_deck, &deck, &drop);
  show("a slanted line meets the deck z = 12.5 at", on_deck);
  return near(placed, 5, 7, 1) && near(x_tip, 0, 1, 0) && met == 1 &&
         near(on_deck, 4.75, 4, 12.5);
}

// Picking the nearest of several measured points.
bool lists() {
  std::printf("\nPoint lists:\n");
  qx_Point s1{0, 0, 0}, s2{10, 0, 0}, s3{10, 10, 0}, s4{0, 10, 0};
  qx_PointList* list = qx_PointList_create(&s1, &s2, &s3, &s4, nullptr);
  qx_Point probe{8, 9, 0}, nearest{};
  int index = qx_PointList_getClosestPoint(&nearest, &probe, list);
  std::printf("  %d corners; nearest to (8, 9, 0) is number %d ", qx_PointList_length(list), index);
  std::printf("(%g, %g, %g)\n", nearest.x, nearest.y, nearest.z);
  qx_PointList_destroy(list);
  return index == 2;
}

int run(const std::string&) {
  bool ok = lines();
  ok = frames() && ok;
  ok = lists() && ok;
  return ok ? 0 : 1;
}

const DemoSection kSection("50-geometry", "Geometry: points, frames and point lists", run);

}  // namespace
}  // namespace qxtool
