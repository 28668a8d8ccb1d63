// A fixture that puts the diagnostics facility back to its load-time state
// (off, console output, no log file) before and after each test, so that
// no test sees another's trace settings.
#ifndef QX_TESTS_DIAG_RESET_H
#define QX_TESTS_DIAG_RESET_H

#include <gtest/gtest.h>

#include "qx/diag.h"

namespace qxtest {

class DiagReset : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    qx_Diag_disable();
    qx_Diag_setDiagOutput(1);
    qx_Diag_setFileName(nullptr);
  }
};

}  // namespace qxtest

#endif  // QX_TESTS_DIAG_RESET_H
