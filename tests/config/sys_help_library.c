/* A stand-in for the help library qx_HLP18AN, loaded by the library at run
   time: its three entry points answer with values made from their
   arguments, so a test sees that the values were passed through. */
#include <stdint.h>

__attribute__((visibility("default"))) int qx_Help_Initialize(void) { return 7; }

__attribute__((visibility("default"))) int qx_Help_DisplayContext(int32_t a, int32_t b, int32_t c,
                                                                  int32_t d) {
  return a + b + c + d;
}

__attribute__((visibility("default"))) int qx_Help_DisplayTopic(int32_t a, int32_t b, int32_t c) {
  return a * b * c;
}
