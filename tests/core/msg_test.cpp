// Message lookup: escapes, layouts, the once-per-process language decision
// and the translator of the application component.
#include <gtest/gtest.h>

#include "app/holder.h"
#include "app/ini_service.h"
#include "core/msg_internal.h"
#include "port/alert.h"
#include "port/com_object.h"
#include "qx/global.h"
#include "qx/msg.h"
#include "test_support.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;
using qxtest::write_file;

namespace {

int g_alerts = 0;
std::u16string g_last_caption;
int count_alert(const qx::port::Alert& a, void*) {
  ++g_alerts;
  g_last_caption = a.caption;
  return 1;
}

// Each test starts with a fresh decision, no holder and a counting sink.
class MsgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qx::reset_message_state();
    qx_Global_destroyData();
    g_alerts = 0;
    qx::port::set_alert_sink(count_alert, nullptr);
  }
  void TearDown() override {
    qx::port::set_alert_sink(nullptr, nullptr);
    qx_Global_destroyData();
    qx::reset_message_state();
    while (qx::port::com_initialized()) CoUninitialize();
  }
};

std::string format(const char16_t* text, int code) { return u8(qx_Msg_format(text, code)); }

TEST_F(MsgTest, LayoutCodes) {
  EXPECT_EQ(format(u"abc", 0), "abc");
  EXPECT_EQ(format(u"abc", 1), "abc");
  EXPECT_EQ(format(u"abc", 2), "abc ");
  EXPECT_EQ(format(u"abc", 3), "\nabc");
  EXPECT_EQ(format(u"abc", 4), "\nabc ");
  EXPECT_EQ(format(u"abc", 5), "abc\n");
  EXPECT_EQ(format(u"abc", 6), "abc \n");
  EXPECT_EQ(format(u"abc", 7), "\nabc\n");
  EXPECT_EQ(format(u"abc", 8), "\nabc \n");
  EXPECT_EQ(format(u"abc", 9), "abc");
  EXPECT_EQ(format(u"abc", -1), "abc");
}

TEST_F(MsgTest, SetFormatMapsStylesToCodes) {
  EXPECT_EQ(qx_Msg_setFormat(1), 2);
  EXPECT_EQ(qx_Msg_setFormat(7), 8);
  EXPECT_EQ(qx_Msg_setFormat(0), 1);
  EXPECT_EQ(qx_Msg_setFormat(8), 1);
}

std::string scan(std::u16string text) {
  text.push_back(0);
  qx_Msg_scanEsc(text.data());
  return u8(text.c_str());
}

TEST_F(MsgTest, EscapeDecoding) {
  EXPECT_EQ(scan(u"a\\tb"), "a\tb");
  EXPECT_EQ(scan(u"\\101"), "A");
  EXPECT_EQ(scan(u"\\101\\102"), "AB") << "each numeric escape starts again from 0";
  EXPECT_EQ(scan(u"a\\qb"), "ab") << "unknown escape drops both characters";
  EXPECT_EQ(scan(u"x\\"), "x") << "trailing backslash ends the text";
  EXPECT_EQ(scan(u"\\\"\\'\\\\\\n\\r"), "\"'\\\n\r");
  EXPECT_EQ(scan(u"\\1012"), "A2") << "at most three digits";
  EXPECT_EQ(scan(u"\\9"), "\t") << "digits 8 and 9 are accepted: 9";
  EXPECT_EQ(scan(u"\\a\\b\\f"), "\a\b\f");
}

TEST_F(MsgTest, BreakStrSplitsAtBlanksAndUnderscores) {
  qx_wchar a[300], b[300];
  EXPECT_EQ(qx_Msg_breakStr(u"TOOL_216", a, b), 1);
  EXPECT_EQ(u8(a), "TOOL");
  EXPECT_EQ(u8(b), "216");
  EXPECT_EQ(qx_Msg_breakStr(u"  one two_three", a, b), 1);
  EXPECT_EQ(u8(a), "one");
  EXPECT_EQ(u8(b), "two");
  EXPECT_EQ(qx_Msg_breakStr(u"single", a, b), 0);
  EXPECT_EQ(u8(a), "single");
  b[0] = u'z';
  b[1] = 0;
  EXPECT_EQ(qx_Msg_breakStr(u"", a, b), 0);
  EXPECT_EQ(u8(b), "z") << "second output untouched when the first is empty";
  // A source longer than the working copy is cut, never overrun.
  std::u16string longSource(1000, u'x');
  EXPECT_EQ(qx_Msg_breakStr(longSource.c_str(), a, b), 0);
  EXPECT_EQ(qx::port::wlen(a), 259u);
}

TEST_F(MsgTest, EnglishWhenNoLanguageIsConfigured) {
  // No COM on this thread: the configuration cannot be read at all.
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "Unable to allocate");
  EXPECT_EQ(u8(qx_Msg("a\\tb", "K", 7)), "\na\tb\n");
  EXPECT_EQ(g_alerts, 0);
}

TEST_F(MsgTest, PadFillsToTheWidthAndIsBounded) {
  EXPECT_EQ(u8(qx_Msg_pad(u"ab", u"K", 1, 5)), "ab   ");
  EXPECT_EQ(u8(qx_Msg_pad(u"abcdef", u"K", 1, 3)), "abcdef");
  EXPECT_EQ(u8(qx_Msg_pad(u"ab", u"K", 1, 0)), "ab");
  EXPECT_EQ(qx::port::wlen(qx_Msg_pad(u"ab", u"K", 1, 100000)), size_t{QX_MSG_PAD_LEN});
}

TEST_F(MsgTest, LongTextsAreCutToTheirBuffers) {
  std::u16string longText(2000, u'y');
  EXPECT_EQ(qx::port::wlen(qx_Msg_format(longText.c_str(), 7)), size_t{QX_MSG_FORMAT_LEN});
  std::string narrow(2000, 'y');
  EXPECT_EQ(qx::port::wlen(qx_Msg(narrow.c_str(), "K", 1)), size_t{QX_MSG_RESULT_LEN});
}

// A configuration folder with qx.ini and a message catalogue.
struct Config {
  TempDir dir;
  explicit Config(const std::string& general, const std::string& catalogue = "") {
    write_file(dir.file("qx.ini"), "[GENERAL]\n" + general);
    if (!catalogue.empty()) write_file(dir.file("qx_messages.txt"), catalogue);
  }
};

TEST_F(MsgTest, TranslatedTextIsReturnedWithoutLayout) {
  Config cfg("LANGUAGE=FRA\n", "# French\nTOOL_216=Impossible d'allouer\n");
  ScopedEnv env("QX_CONFIG_DIR", cfg.dir.path());
  CoInitialize(nullptr);
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 7)), "Impossible d'allouer");
  EXPECT_EQ(u8(qx_Msg("not in catalogue", "TOOL_9", 7)), "\nnot in catalogue\n");
  EXPECT_EQ(g_alerts, 0);
}

TEST_F(MsgTest, EnglishInAnyCaseSkipsTheTranslatorUnlessDebugging) {
  Config cfg("LANGUAGE=english\n", "TOOL_216=translated\n");
  ScopedEnv env("QX_CONFIG_DIR", cfg.dir.path());
  CoInitialize(nullptr);
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "Unable to allocate");

  qx::reset_message_state();
  Config debug("LANGUAGE=eng\nLANGUAGE_DEBUG=1\n", "TOOL_216=translated\n");
  ScopedEnv env2("QX_CONFIG_DIR", debug.dir.path());
  qx_Global_destroyData();
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "translated");

  qx::reset_message_state();
  Config off("LANGUAGE=ENG\nLANGUAGE_DEBUG=0\n", "TOOL_216=translated\n");
  ScopedEnv env3("QX_CONFIG_DIR", off.dir.path());
  qx_Global_destroyData();
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "Unable to allocate");
}

TEST_F(MsgTest, LanguageIsDecidedOncePerProcess) {
  Config cfg("LANGUAGE=ENG\n", "TOOL_216=translated\n");
  ScopedEnv env("QX_CONFIG_DIR", cfg.dir.path());
  CoInitialize(nullptr);
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "Unable to allocate");
  write_file(cfg.dir.file("qx.ini"), "[GENERAL]\nLANGUAGE=FRA\n");
  qx_Global_destroyData();  // even a fresh component is not asked again
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 1)), "Unable to allocate");
}

// An application object whose translator property is empty while its
// settings service works: a component installed without its translator.
class NoTranslatorApp final : public qx::port::ComObject<qx::app::IApplicationObject> {
 public:
  explicit NoTranslatorApp(std::u16string dir)
      : ComObject(qx::app::IID_IApplicationObject), dir_(std::move(dir)) {}
  HRESULT get_ConfigDirectory(BSTR* d) override { return qx::port::hand_out_text(dir_, d); }
  HRESULT put_ApplicationGroup(BSTR*) override { return S_OK; }
  HRESULT get_ApplicationGroup(BSTR* g) override { return qx::port::hand_out_text(u"", g); }
  HRESULT get_BaseSectionName(BSTR* n) override { return qx::port::hand_out_text(u"", n); }
  HRESULT get_Translator(qx::app::ITranslator** t) override {
    *t = nullptr;
    return S_OK;
  }
  HRESULT get_Version(BSTR* v) override { return qx::port::hand_out_text(u"", v); }
  HRESULT get_Name(BSTR* n) override { return qx::port::hand_out_text(u"", n); }
  HRESULT get_IniService(qx::app::IIniService** s) override {
    *s = qx::app::create_ini_service();
    return S_OK;
  }
  HRESULT get_FileService(qx::app::IFileService** s) override {
    *s = nullptr;
    return S_OK;
  }

 private:
  std::u16string dir_;
};

std::u16string g_app_dir;
HRESULT create_no_translator_app(REFIID iid, void** out) {
  auto* app = new NoTranslatorApp(g_app_dir);
  HRESULT hr = app->QueryInterface(iid, out);
  app->Release();
  return hr;
}

TEST_F(MsgTest, MissingTranslatorAlertsOnceThenGivesDefaults) {
  Config cfg("LANGUAGE=DEU\n");
  g_app_dir = qx::port::from_utf8(cfg.dir.path());
  CoRegisterClass(qx::app::CLSID_ApplicationObject, create_no_translator_app);
  CoInitialize(nullptr);
  EXPECT_EQ(u8(qx_Msg("Unable to allocate", "TOOL_216", 2)), "Unable to allocate ");
  EXPECT_EQ(u8(qx_Msg("bytes of memory", "TOOL_217", 1)), "bytes of memory");
  EXPECT_EQ(g_alerts, 1);
  EXPECT_EQ(u8(g_last_caption), "Message Translator Error");
  CoRegisterClass(qx::app::CLSID_ApplicationObject, nullptr);
}

TEST_F(MsgTest, FailingTranslateRaisesAComError) {
  Config cfg("LANGUAGE=FRA\n");
  std::filesystem::create_directory(cfg.dir.file("qx_messages.txt"));  // unreadable catalogue
  ScopedEnv env("QX_CONFIG_DIR", cfg.dir.path());
  CoInitialize(nullptr);
  try {
    qx_Msg("Unable to allocate", "TOOL_216", 1);
    FAIL() << "expected a COM error";
  } catch (const qx::port::ComError& e) {
    EXPECT_EQ(e.status(), E_FAIL);
    EXPECT_NE(e.source(), nullptr);
  }
}

TEST_F(MsgTest, DbColsLooksUpTheColumnName) {
  EXPECT_EQ(u8(qx_MsgDBCols(u"MSG_NO", 2)), "MSG_NO ");
}

}  // namespace
