// Diagnostics: gating of the trace frame, line format, log-file selection.
#include <gtest/gtest.h>

#include "diag_reset.h"
#include "qx/array.h"
#include "qx/diag.h"
#include "test_support.h"

using qxtest::read_file;
using qxtest::TempDir;
using qxtest::u8;

namespace {

// Puts the facility back to its load-time state around each test.
class DiagTest : public qxtest::DiagReset {
 protected:
  static std::string traced_array_calls() {
    ::testing::internal::CaptureStdout();
    int v = 1;
    qx_Array* a = qx_Array_create(2, sizeof v, &v);
    qx_Array_setNth(a, 1, &v, nullptr);
    qx_Array_destroy(a, nullptr);
    return ::testing::internal::GetCapturedStdout();
  }
};

TEST_F(DiagTest, NothingIsWrittenInTheInitialState) {
  EXPECT_EQ(qx_Diag_getLevel(), 0);
  EXPECT_EQ(qx_Diag_getCondition(), 0u);
  EXPECT_EQ(qx_Diag_getDiagOutput(), 1);
  EXPECT_EQ(traced_array_calls(), "");
}

TEST_F(DiagTest, TraceNeedsLevelThreeAndTheFamilyBit) {
  qx_Diag_setLevel(2);
  qx_Diag_setCondition(QX_DIAG_ARRAY);
  EXPECT_EQ(traced_array_calls(), "") << "level 2 is below the trace level";
  qx_Diag_setLevel(3);
  qx_Diag_setCondition(QX_DIAG_LNKLIST);
  EXPECT_EQ(traced_array_calls(), "") << "another family's bit";
  qx_Diag_setCondition(QX_DIAG_ARRAY | QX_DIAG_LNKLIST);
  EXPECT_NE(traced_array_calls(), "");
}

TEST_F(DiagTest, TraceLinesNameTheLowerCasedSourceAndBothEvents) {
  qx_Diag_setLevel(3);
  qx_Diag_setCondition(QX_DIAG_ARRAY);
  std::string out = traced_array_calls();
  // array.cpp (<line>) Entering qx_Array_create.
  EXPECT_NE(out.find("array.cpp ("), std::string::npos) << out;
  EXPECT_NE(out.find(") Entering qx_Array_create.\n"), std::string::npos) << out;
  EXPECT_NE(out.find(") Exiting qx_Array_create.\n"), std::string::npos) << out;
  // setNth traces under its historical name.
  EXPECT_NE(out.find(") Entering qx_Array_modNth.\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("qx_Array_setNth"), std::string::npos) << out;
  EXPECT_EQ(out.find("/"), std::string::npos) << "no directory in the file name: " << out;
}

TEST_F(DiagTest, LineShowsFileNameWithoutDirectoryInLowerCase) {
  qx_Diag_setLevel(1);
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutputMsg(u"hello", u"C:\\Src\\Tools\\MyFile.CPP", 42);
  qx_Diag_putOutputMsg(u"posix", u"/srv/Src/Other.C", 7);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "myfile.cpp (42) hello\nother.c (7) posix\n");
}

TEST_F(DiagTest, EmptyTextWritesNothingAndKeepsTheBuffer) {
  qx_Diag_putOutputMsg(u"kept", u"a.c", 1);
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutputMsg(u"", u"a.c", 2);
  qx_Diag_putOutputMsg(nullptr, u"a.c", 3);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(u8(qx_Diag_getDiagMsgBuf()), "kept");
}

TEST_F(DiagTest, PutOutputWritesTheSharedBufferNotItsTextArgument) {
  qx::port::wcopy(QX_DiagMsgBuf, QX_DIAG_MSGBUF_LEN + 1, u"from the buffer");
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutput(5, u"ignored", u"x.c", 9);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "x.c (9) from the buffer\n");
}

TEST_F(DiagTest, LevelAndConditionSetters) {
  EXPECT_EQ(qx_Diag_setLevel(3), 0);
  EXPECT_EQ(qx_Diag_setLevel(4), 3) << "refused: the current level comes back";
  EXPECT_EQ(qx_Diag_getLevel(), 3);
  EXPECT_EQ(qx_Diag_setLevel(-1), 3);
  EXPECT_EQ(qx_Diag_setLevel(2), 3);
  EXPECT_EQ(qx_Diag_setCondition(0xFFFFFFFFu), 0u);
  EXPECT_EQ(qx_Diag_setCondition(5), 0xFFFFFFFFu);
  qx_Diag_disable();
  EXPECT_EQ(qx_Diag_getLevel(), 0);
  EXPECT_EQ(qx_Diag_getCondition(), 0u);
}

TEST_F(DiagTest, SelectingTheLogFileEmptiesItAndLinesAreAppended) {
  TempDir dir;
  qxtest::write_file(dir.file("diag.log"), "old content\n");
  ASSERT_EQ(qx_Diag_setOutput(3, dir.wfile("diag.log").c_str()), 1);
  EXPECT_EQ(read_file(dir.file("diag.log")), "");
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutputMsg(u"one", u"f.c", 1);
  qx_Diag_putOutputMsg(u"two", u"f.c", 2);
  std::string console = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(console, "f.c (1) one\nf.c (2) two\n");
  EXPECT_EQ(read_file(dir.file("diag.log")), console) << "same lines on both outputs";

  qx_wchar path[512];
  EXPECT_EQ(qx_Diag_getOutput(path), 3);
  EXPECT_EQ(u8(path), dir.file("diag.log"));
  qx_Diag_setOutput(1, nullptr);
  EXPECT_EQ(qx_Diag_getOutput(path), 1);
  EXPECT_EQ(u8(path), "") << "console only: no path even though one is stored";
  EXPECT_NE(qx_Diag_getFileName(), nullptr);
}

TEST_F(DiagTest, EmptyPathFallsBackToDefaultLogWithTwoMessages) {
  TempDir dir;
  auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ::testing::internal::CaptureStdout();
  int result = qx_Diag_setOutput(2, u"");
  std::string out = ::testing::internal::GetCapturedStdout();
  std::filesystem::current_path(old);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(out,
            "\nqx_Diag_setOutput: Diagnostics log file name specified is invalid."
            "\nDefaulting to log file: QX_DIAG.LOG\n");
  EXPECT_EQ(u8(qx_Diag_getFileName()), "QX_DIAG.LOG");
  EXPECT_TRUE(std::filesystem::exists(dir.file("QX_DIAG.LOG")));
}

TEST_F(DiagTest, UnopenableLogFallsBackToConsole) {
  TempDir dir;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(qx_Diag_setOutput(2, dir.wfile("missing/dir/x.log").c_str()), 0);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Failed to open the diagnostics output file"), std::string::npos);
  EXPECT_EQ(qx_Diag_getDiagOutput(), 1);
}

TEST_F(DiagTest, InvalidSelectorSetsConsoleAndFails) {
  EXPECT_EQ(qx_Diag_setOutput(7, u"x.log"), 0);
  EXPECT_EQ(qx_Diag_getDiagOutput(), 1);
  EXPECT_EQ(qx_Diag_setDiagOutput(9), 9) << "stored without a check";
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutputMsg(u"nowhere", u"a.c", 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(DiagTest, OversizeLengthWarnsTwiceWhenTracing) {
  qx_Diag_setLevel(3);
  qx_Diag_setCondition(1);
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutput(5000, nullptr, u"Caller.C", 12);
  std::string out = ::testing::internal::GetCapturedStdout();
  const std::string warning = "Buffer size 5000 too big for diagnostics in caller.c at 12\n";
  // Once under the facility's own source, once under the caller's.
  EXPECT_NE(out.find("diag.cpp ("), std::string::npos) << out;
  EXPECT_NE(out.find(") " + warning), std::string::npos) << out;
  EXPECT_NE(out.find("caller.c (12) " + warning), std::string::npos) << out;
}

TEST_F(DiagTest, LongTextIsCutToTheBuffer) {
  std::u16string longText(QX_DIAG_MSGBUF_LEN + 500, u'x');
  ::testing::internal::CaptureStdout();
  qx_Diag_putOutputMsg(longText.c_str(), u"a.c", 1);
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.size(), std::string("a.c (1) \n").size() + QX_DIAG_MSGBUF_LEN);
}

}  // namespace
