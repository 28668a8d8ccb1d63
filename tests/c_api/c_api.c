/* Compiles the whole public interface as C11 and makes a few calls through
   the shared library, as a C program would. */
#include <stdio.h>
#include <string.h>

#include "qx/qx.h"

static int failures = 0;

#define CHECK(cond)                                             \
  do {                                                          \
    if (!(cond)) {                                              \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                               \
    }                                                           \
  } while (0)

int main(void) {
  int init = 7;
  qx_Array *a = qx_Array_create(3, sizeof init, &init);
  CHECK(a != NULL);
  CHECK(qx_Array_size(a) == 3);
  CHECK(*(int *)qx_Array_getNth(a, 2) == 7);
  CHECK(qx_Array_destroy(a, NULL) == 1);

  CHECK(qx_Msg_setFormat(1) == 2);
  CHECK(qx_Diag_getLevel() == 0);

  void *p = qx_Malloc(16);
  CHECK(p != NULL);
  qx_Free(p);

  if (failures) return 1;
  printf("1 passed, 0 failed\n");
  return 0;
}
