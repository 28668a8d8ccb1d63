/* A coordinate system and point lists.

   A pipe run is drawn in a local frame (origin at a flange, X along the
   pipe, Y towards a support).  The program builds the frame's
   transformation from three points given in plant coordinates, carries the
   run's local points into plant coordinates, and asks the point list for
   its length and the point nearest to a given one. */
#include <math.h>
#include <stdio.h>

#include <qx/qx.h>

static void print_point(const char *label, const qx_Point *p) {
  printf("%s(%.3f, %.3f, %.3f)\n", label, p->x, p->y, p->z);
}

int main(void) {
  qx_Point origin = {100, 200, 0}, on_x = {100, 210, 0}, on_xy = {90, 200, 0};
  qx_TMatrix *frame = qx_TMatrix_create(); /* 4 x 4; free with qx_TMatrix_destroy */
  qx_RotMatrix *rotation = qx_RotMatrix_create(); /* 3 x 3; qx_RotMatrix_destroy */
  qx_RotMatrix_from3Points(rotation, &origin, &on_x, &on_xy);
  qx_TMatrix_setIdentity(frame);
  qx_TMatrix_setRMatrix(frame, rotation);
  qx_TMatrix_setOrigin(frame, &origin);

  /* The run in its own frame: along X, then up. */
  qx_Point a = {0, 0, 0}, b = {5, 0, 0}, c = {5, 0, 3};
  qx_PointList *local = qx_PointList_create(&a, &b, &c, NULL); /* copies */
  qx_PointList *plant = qx_PointList_create(NULL, NULL);
  for (qx_PointList_start(local); !qx_PointList_eol(local); qx_PointList_next(local)) {
    qx_Point placed;
    qx_TMatrix_xform(&placed, frame, qx_PointList_getCurr(local));
    qx_PointList_insEnd(plant, &placed);
  }
  printf("%d points in plant coordinates:\n", qx_PointList_length(plant));
  for (qx_PointList_start(plant); !qx_PointList_eol(plant); qx_PointList_next(plant))
    print_point("  ", qx_PointList_getCurr(plant));

  double length = 0, step;
  for (int i = 1; i < qx_PointList_length(plant); ++i) {
    qx_Point from = *qx_PointList_getNth(plant, i - 1);
    qx_Point_distance(&step, &from, qx_PointList_getNth(plant, i));
    length += step;
  }
  printf("run length %.3f\n", length);

  qx_Point probe = {99, 206, 1}, nearest;
  int at = qx_PointList_getClosestPoint(&nearest, &probe, plant);
  printf("nearest to the probe: point %d ", at);
  print_point("", &nearest);

  /* Going back: the inverse rotation is the transpose. */
  qx_RotMatrix *back = qx_RotMatrix_create();
  qx_RotMatrix_getInverse(back, rotation);
  qx_Point offset;
  qx_Point_subtract(&offset, &origin, qx_PointList_getNth(plant, 2)); /* second - first */
  qx_RotMatrix_rotatePoint(&offset, back);
  print_point("last point back in the frame: ", &offset);

  qx_PointList_destroy(local);
  qx_PointList_destroy(plant);
  qx_RotMatrix_destroy(back);
  qx_RotMatrix_destroy(rotation);
  qx_TMatrix_destroy(frame);
  return fabs(length - 8.0) < 1e-9 ? 0 : 1;
}
