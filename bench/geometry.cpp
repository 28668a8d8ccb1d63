// Geometry hot paths: rotating points, composing 4 x 4 transformations,
// frames from points, line crossings and nearest-point search.
#include <benchmark/benchmark.h>

#include <random>

#include "qx/geolist.h"
#include "qx/matrix.h"
#include "qx/rotation.h"

namespace {

void BM_RotatePoint(benchmark::State& state) {
  qx_RotMatrix* r = qx_RotMatrix_create();
  qx_Vector axis{1, 2, 3};
  qx_RotMatrix_fromRotAxisAndAngle(r, &axis, 0.7);
  qx_Point p{1, 2, 3};
  for (auto _ : state) {
    qx_RotMatrix_rotatePoint(&p, r);
    benchmark::DoNotOptimize(p);
  }
  qx_RotMatrix_destroy(r);
}
BENCHMARK(BM_RotatePoint);

void BM_TMatrixXform(benchmark::State& state) {
  qx_TMatrix* t = qx_TMatrix_create();
  qx_TMatrix_set(t, 0, -1, 0, 5, 1, 0, 0, 6, 0, 0, 1, 7);
  qx_Point p{1, 2, 3}, out;
  for (auto _ : state) {
    qx_TMatrix_xform(&out, t, &p);
    benchmark::DoNotOptimize(out);
  }
  qx_TMatrix_destroy(t);
}
BENCHMARK(BM_TMatrixXform);

void BM_Multiply4x4(benchmark::State& state) {
  qx_Matrix* a = qx_Matrix_create(4, 4);
  qx_Matrix* b = qx_Matrix_create(4, 4);
  qx_Matrix_setElement(b, 0, 3, 2.0);
  for (auto _ : state) benchmark::DoNotOptimize(qx_Matrix_multiply(a, a, b));
  qx_Matrix_destroy(a);
  qx_Matrix_destroy(b);
}
BENCHMARK(BM_Multiply4x4);

void BM_RotateByAngles(benchmark::State& state) {
  qx_RotMatrix* r = qx_RotMatrix_create();
  for (auto _ : state) benchmark::DoNotOptimize(qx_RotMatrix_rotate(r, r, 0.1, 0.2, 0.3));
  qx_RotMatrix_destroy(r);
}
BENCHMARK(BM_RotateByAngles);

void BM_CreateFromUCS(benchmark::State& state) {
  qx_TMatrix* t = qx_TMatrix_create();
  qx_Point a0{0, 0, 0}, a1{1, 0, 0}, a2{0, 1, 0}, b0{5, 5, 0}, b1{5, 6, 0}, b2{4, 5, 1};
  for (auto _ : state)
    benchmark::DoNotOptimize(qx_TMatrix_createFromUCS(t, &a0, &a1, &a2, &b0, &b1, &b2));
  qx_TMatrix_destroy(t);
}
BENCHMARK(BM_CreateFromUCS);

void BM_IntersectLines(benchmark::State& state) {
  qx_Point a1{0, 0, 0}, a2{1, 0.1, 0}, b1{5, -1, 0}, b2{5.2, 1, 0}, out;
  for (auto _ : state) benchmark::DoNotOptimize(qx_Point_intersectPoint(&out, &a1, &a2, &b1, &b2));
}
BENCHMARK(BM_IntersectLines);

void BM_ClosestOf10k(benchmark::State& state) {
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> d(-100, 100);
  qx_PointList* list = qx_PointList_create(nullptr);
  for (int i = 0; i < 10000; ++i) {
    qx_Point p{d(gen), d(gen), d(gen)};
    qx_PointList_insEnd(list, &p);
  }
  qx_Point probe{1, 2, 3}, out;
  for (auto _ : state) benchmark::DoNotOptimize(qx_PointList_getClosestPoint(&out, &probe, list));
  qx_PointList_destroy(list);
}
BENCHMARK(BM_ClosestOf10k);

}  // namespace

BENCHMARK_MAIN();
