// The fixture of the file tests: a fresh folder per test, COM initialised
// so that the file service of the application component is there.
#ifndef QX_TESTS_FS_FS_TEST_H
#define QX_TESTS_FS_FS_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component_test.h"
#include "qx/strlist.h"
#include "test_support.h"

namespace qxtest {

class FsTest : public ComponentTest {};


}  // namespace qxtest

#endif  // QX_TESTS_FS_FS_TEST_H
