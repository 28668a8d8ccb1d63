// The fixture of the file tests: a fresh folder per test, COM initialised
// so that the file service of the application component is there.
#ifndef QX_TESTS_FS_FS_TEST_H
#define QX_TESTS_FS_FS_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/holder.h"
#include "port/com.h"
#include "qx/strlist.h"
#include "test_support.h"

namespace qxtest {

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qx::app::destroy_holder();
    CoInitialize(nullptr);
  }
  void TearDown() override {
    qx::app::destroy_holder();
    while (qx::port::com_initialized()) CoUninitialize();
  }

  // The native path of a name in the test folder, and its library form.
  std::string file(const std::string& name) const { return dir_.file(name); }
  std::u16string w(const std::string& name) const { return dir_.wfile(name); }

  TempDir dir_;
};

// The strings of a string list, in order; the list is destroyed.
inline std::vector<std::string> drain(qx_StrList* list) {
  std::vector<std::string> out;
  if (!list) return out;
  for (qx_StrList_start(list); !qx_StrList_eol(list); qx_StrList_next(list))
    out.push_back(u8(qx_StrList_getCurr(list)));
  qx_StrList_destroy(list);
  return out;
}

}  // namespace qxtest

#endif  // QX_TESTS_FS_FS_TEST_H
