// The configuration file through the application component: where qx.ini is
// and how its values are read.
#include <gtest/gtest.h>

#include "qx/env.h"
#include "qx/global.h"
#include "qx/sys.h"
#include "port/com.h"
#include "test_support.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void TearDown() override {
    qx_Global_destroyData();
    while (qx::port::com_initialized()) CoUninitialize();
  }
};

TEST_F(ConfigTest, WithoutComNothingIsRead) {
  TempDir dir;
  qxtest::write_file(dir.file("qx.ini"), "[GENERAL]\nLANGUAGE=FRA\n");
  ScopedEnv env("QX_CONFIG_DIR", dir.path());
  qx_Global_destroyData();
  EXPECT_EQ(qx_Env_getIni(u"GENERAL", u"LANGUAGE"), nullptr);
  qx_wchar path[260];
  EXPECT_EQ(u8(qx_Sys_getCfgName(path, u"QX.INI")), "qx.ini");
}

TEST_F(ConfigTest, ConfigFileIsLowerCasedInTheConfigDirectory) {
  TempDir dir;
  std::string upper = dir.file("Cfg");
  std::filesystem::create_directory(upper);
  qxtest::write_file(upper + "/qx.ini", "[general]\n  Language = = fra  \n; comment\nEMPTY=\n");
  ScopedEnv env("QX_CONFIG_DIR", upper);
  CoInitialize(nullptr);
  qx_Global_destroyData();
  qx_wchar cfg_dir[260];
  qx_Sys_getCfgDir(cfg_dir);
  std::string lowered = upper;
  for (auto& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(u8(cfg_dir), lowered + "/") << "ended by the separator the path uses";
  // The lower-cased name still finds the file, as on a Windows file system.
  qx_wchar* v = qx_Env_getIni(u"GENERAL", u"LANGUAGE");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(u8(v), "fra  ") << "as qx_Ini_get gives it: blanks after the value stay";
  EXPECT_EQ(qx_Env_getIni(u"GENERAL", u"EMPTY"), nullptr) << "an empty value is no value";
  EXPECT_EQ(qx_Env_getIni(u"GENERAL", u"MISSING"), nullptr);
  EXPECT_EQ(qx_Env_getIni(u"OTHER", u"LANGUAGE"), nullptr);
}

}  // namespace
