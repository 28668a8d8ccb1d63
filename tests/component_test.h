// Fixtures of the tests that need the application component: COM on for the
// calling thread, so that the file and settings services are there, and a
// fresh folder per test.  Each test starts and ends with no component state
// left over from another.
#ifndef QX_TESTS_COMPONENT_TEST_H
#define QX_TESTS_COMPONENT_TEST_H

#include <gtest/gtest.h>

#include <string>

#include "app/holder.h"
#include "port/com.h"
#include "qx/env.h"
#include "qx/global.h"
#include "test_support.h"

namespace qxtest {

// A fresh folder, COM on, the component's holder made afresh.
class ComponentTest : public ::testing::Test {
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

// A configuration folder (QX_CONFIG_DIR) whose qx.ini the test writes, with
// the session variables and the global data cleared around each test.
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    qx_Global_destroyData();
    qx_Env_resetSes();
  }
  void TearDown() override {
    qx_Env_resetSes();
    qx_Global_destroyData();
    while (qx::port::com_initialized()) CoUninitialize();
  }
  void write_ini(const std::string& text) {
    write_file(cfg_.file("qx.ini"), text);
    qx_Global_destroyData();  // the settings service reads the file afresh
  }

  TempDir cfg_;
  ScopedEnv cfg_env_{"QX_CONFIG_DIR", cfg_.path()};
};

}  // namespace qxtest

#endif  // QX_TESTS_COMPONENT_TEST_H
