// The alert sink: message boxes and fatal exits.
#include <gtest/gtest.h>

#include "port/alert.h"
#include "test_support.h"

namespace {

struct Seen {
  int count = 0;
  qx::port::Alert last;
};

int record(const qx::port::Alert& a, void* context) {
  auto* seen = static_cast<Seen*>(context);
  ++seen->count;
  seen->last = a;
  return 1;
}

TEST(Alert, DefaultSinkWritesCaptionAndTextToStandardError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(qx::port::alert(u"Caption", u"Some text", qx::port::kAlertIconWarning), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Caption: Some text\n");
}

TEST(Alert, HostSinkReceivesEveryBoxUntilRemoved) {
  Seen seen;
  qx::port::set_alert_sink(record, &seen);
  qx::port::alert(u"A", u"first", qx::port::kAlertIconError);
  qx::port::alert(u"B", u"second", qx::port::kAlertOk);
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.last.caption, u"B");
  EXPECT_EQ(seen.last.text, u"second");
  qx::port::set_alert_sink(nullptr, nullptr);
  ::testing::internal::CaptureStderr();
  qx::port::alert(u"C", u"third", 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(seen.count, 2);
}

TEST(AlertDeathTest, FatalExitShowsTheTextAndEndsTheProcess) {
  EXPECT_EXIT(qx::port::fatal_exit(u"cannot go on", 3), ::testing::ExitedWithCode(3),
              "Fatal error: cannot go on");
}

}  // namespace
