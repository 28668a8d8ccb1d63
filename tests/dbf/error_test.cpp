// The engine's error reporting: fixed-width numbers, the message of the
// error box, quiet errors and the silent open and create failures.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::AlertRecorder;
using qxtest::TempDir;

namespace {

TEST(FixedWidth, BlanksZerosSignsAndOverflow) {
  EXPECT_EQ(fixed_width(42, 5), "   42");
  EXPECT_EQ(fixed_width(-42, 5), "  -42");
  EXPECT_EQ(fixed_width(0, 3), "  0");
  EXPECT_EQ(fixed_width(42, -5), "00042");
  EXPECT_EQ(fixed_width(-42, -5), "-0042");
  EXPECT_EQ(fixed_width(-200, 4), "-200");
  EXPECT_EQ(fixed_width(-1020, 4), "****");
  EXPECT_EQ(fixed_width(12345, 4), "****");
  EXPECT_EQ(fixed_width(9999, 4), "9999");
  EXPECT_EQ(fixed_width(LONG_MIN, 25), std::string(5, ' ') + std::to_string(LONG_MIN));
}

TEST(ErrorMessage, LinesNumberTableTextAndFurtherTexts) {
  EXPECT_EQ(error_message(-60, "File Name:", "x.dbf", nullptr),
            "Error #:  -60\nOpening File\nFile Name:\nx.dbf\n");
  EXPECT_EQ(error_message(-1020, nullptr, nullptr, nullptr),
            "Error #: ****\nFunction unsupported: library built without memo support\n");
  EXPECT_EQ(error_message(-999, "detail", nullptr, nullptr), "Error #: -999\ndetail\n");
  // Further texts are left out once they would pass 256 characters.
  std::string long1(200, 'a'), long2(100, 'b');
  std::string m = error_message(-70, long1.c_str(), long2.c_str(), "end");
  EXPECT_EQ(m, "Error #:  -70\nReading File\n" + long1 + "\nend\n");
  EXPECT_LE(m.size(), 256u);
}

TEST(ReportError, ShowsTheBoxUnlessQuiet) {
  Engine e;
  AlertRecorder alerts;
  EXPECT_EQ(report_error(&e, -200, "t.dbf"), -200);
  EXPECT_EQ(e.lastError, -200);
  ASSERT_EQ(alerts.shown().size(), 1u);
  EXPECT_EQ(alerts.shown()[0], "TABLE ENGINE ERROR|Error #: -200\nFile is not a Data File\nt.dbf\n");
  EXPECT_EQ(alerts.flags[0], 0x10u);
  report_error(&e, kErrMemory);
  EXPECT_EQ(alerts.flags[1], 0x1010u);  // out of memory is also system-modal

  e.quietErrors = 1;
  EXPECT_EQ(report_error(&e, -50, "t.dbf"), -50);
  EXPECT_EQ(e.lastError, -50);
  EXPECT_EQ(alerts.shown().size(), 2u);
}

TEST(ReportError, EngInitRestoresDefaults) {
  Engine e;
  e.lockRetries = 3;
  e.quietErrors = 1;
  e.refuseOverwrite = 0;
  e.dateFormat = "DD.MM.CCYY";
  e.lastError = -60;
  engInit(&e);
  EXPECT_EQ(e.lockRetries, -1);
  EXPECT_EQ(e.quietErrors, 0);
  EXPECT_EQ(e.refuseOverwrite, 1);
  EXPECT_EQ(e.autoOpenProductionIndex, 1);
  EXPECT_EQ(e.readOnlyAccess, 0);
  EXPECT_EQ(e.dateFormat, "MM/DD/YY");
  EXPECT_EQ(e.uniqueDefault, 25);
  EXPECT_EQ(e.memBuffer, 16384u);
  EXPECT_EQ(e.lastError, 0);
}

TEST(ReportErrorDeathTest, SevereErrorsAndFailedBoxesEndTheProcess) {
  Engine e;
  EXPECT_EXIT(severe_error(&e, -30, "file_length()"), ::testing::ExitedWithCode(1),
              "TABLE ENGINE SEVERE ERROR.*Severe Error Number #:  -30.*file_length");
  EXPECT_EXIT(
      {
        qx::port::set_alert_sink([](const qx::port::Alert&, void*) { return 0; }, nullptr);
        report_error(&e, -60, "x.dbf");
      },
      ::testing::ExitedWithCode(1), "");
  e.lastError = -60;
  EXPECT_EXIT(exit_check(&e), ::testing::ExitedWithCode(1), "EXITING APPLICATION");
  e.lastError = 50;
  exit_check(&e);  // a result, not an error: nothing happens
}

TEST(OpenFailure, ReportedOrSilentBySetting) {
  TempDir dir;
  Engine e;
  AlertRecorder alerts;
  std::string missing = dir.file("missing");
  EXPECT_EQ(dbfOpen(&e, missing.c_str()), nullptr);
  EXPECT_EQ(e.lastError, kErrOpen);
  ASSERT_EQ(alerts.shown().size(), 1u);
  EXPECT_EQ(alerts.shown()[0],
            "TABLE ENGINE ERROR|Error #:  -60\nOpening File\nFile Name:\n" + missing + ".dbf\n");

  // In error, the next open refuses without another box.
  EXPECT_EQ(dbfOpen(&e, missing.c_str()), nullptr);
  EXPECT_EQ(alerts.shown().size(), 1u);

  e.lastError = 0;
  e.reportOpenFailure = 0;
  EXPECT_EQ(dbfOpen(&e, missing.c_str()), nullptr);
  EXPECT_EQ(e.lastError, kNoOpen);
  EXPECT_EQ(alerts.shown().size(), 1u);
  // 70 is a result, not an error: the next open goes ahead.
  Table* t = dbfCreate(&e, dir.file("there").c_str(), qxtest::sampleFields(), nullptr);
  EXPECT_NE(t, nullptr);
  EXPECT_EQ(e.lastError, 0);
}

TEST(TempFile, NamedTempWithFourDigits) {
  TempDir dir;
  std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  Engine e;
  File f;
  ASSERT_EQ(file_temp(&e, f), 0);
  EXPECT_EQ(f.name.size(), 12u);
  EXPECT_EQ(f.name.substr(0, 4), "TEMP");
  EXPECT_EQ(f.name.substr(8), ".TMP");
  EXPECT_EQ(f.name.substr(4, 4).find_first_not_of("0123456789"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.file(f.name)));
  file_close(f);
  std::filesystem::current_path(cwd);
}

}  // namespace
