// The settings service's INI files: line rules, caching and write-through.
#include <gtest/gtest.h>

#include "app/ini_document.h"
#include "app/ini_service.h"
#include "port/com.h"
#include "test_support.h"

using qx::app::IniDocument;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::u8;
using qxtest::write_file;

namespace {

TEST(IniDocument, LineRules) {
  TempDir dir;
  write_file(dir.file("a.ini"),
             "  [ First ]\r\n"
             "a = = b\n"
             "  spaced   =  value with blanks  \n"
             "; a = comment\n"
             "\n"
             "bare line\n"
             "[Second\n"
             "x=1\n"
             "[first]\n"
             "late=ignored group repeat\n");
  IniDocument doc = IniDocument::load(dir.wfile("a.ini"));
  EXPECT_EQ(doc.groups(), (std::vector<std::u16string>{u"First", u"Second"}));
  EXPECT_EQ(doc.value(u"FIRST", u"A"), u"b") << "blanks and '=' skipped before the value";
  EXPECT_EQ(doc.value(u"first", u"spaced"), u"value with blanks");
  EXPECT_EQ(doc.value(u"first", u"bare line"), u"") << "a line without '=' is a name";
  EXPECT_FALSE(doc.value(u"first", u"; a").has_value()) << "comments are not entries";
  EXPECT_EQ(doc.value(u"Second", u"x"), u"1") << "a missing ']' is accepted";
  EXPECT_FALSE(doc.value(u"Third", u"x").has_value());
}

TEST(IniDocument, ChangesKeepEveryOtherLine) {
  TempDir dir;
  write_file(dir.file("b.ini"), "; header comment\n[G]\nk=v\n\n; next\n[H]\nz=9\n");
  IniDocument doc = IniDocument::load(dir.wfile("b.ini"));
  doc.set_value(u"g", u"K", u"new");
  doc.set_value(u"G", u"added", u"1");
  doc.add_group(u"Fresh");
  doc.set_value(u"Fresh", u"n", u"v");
  ASSERT_TRUE(doc.save());
  EXPECT_EQ(read_file(dir.file("b.ini")),
            "; header comment\n[G]\nk=new\nadded=1\n\n; next\n[H]\nz=9\n[Fresh]\nn=v\n");
  EXPECT_TRUE(doc.remove_group(u"h"));
  EXPECT_FALSE(doc.remove_group(u"h"));
  EXPECT_FALSE(doc.add_group(u"g")) << "exists already";
  EXPECT_TRUE(doc.clear_group(u"G"));
  EXPECT_TRUE(doc.entries(u"G").empty());
}

TEST(IniService, CachesUntilReloadAndWritesThrough) {
  TempDir dir;
  write_file(dir.file("c.ini"), "[G]\nk=one\n");
  CoInitialize(nullptr);
  qx::ComPtr<qx::app::IIniService> service =
      qx::ComPtr<qx::app::IIniService>::attach(qx::app::create_ini_service());
  qx::port::Bstr file(dir.wfile("c.ini")), group(u"G"), name(u"k"), value;
  service->GetValue(file.get(), group.get(), name.get(), value.out());
  EXPECT_EQ(u8(value.str()), "one");

  write_file(dir.file("c.ini"), "[G]\nk=two\n");
  service->GetValue(file.get(), group.get(), name.get(), value.out());
  EXPECT_EQ(u8(value.str()), "one") << "served from the cache";
  service->Reload(file.get());
  service->GetValue(file.get(), group.get(), name.get(), value.out());
  EXPECT_EQ(u8(value.str()), "two");

  qx::port::Bstr three(u"three");
  VARIANT_BOOL written = VARIANT_FALSE;
  service->SetValue(file.get(), group.get(), name.get(), three.get(), &written);
  EXPECT_EQ(written, VARIANT_TRUE);
  EXPECT_EQ(read_file(dir.file("c.ini")), "[G]\nk=three\n");

  qx::ComPtr<qx::app::IIniGroup> g;
  service->GetGroup(file.get(), group.get(), g.out());
  ASSERT_TRUE(g);
  int32_t count = 0;
  g->get_Count(&count);
  EXPECT_EQ(count, 1);
  qx::port::Bstr missing(u"NoSuchGroup");
  service->GetGroup(file.get(), missing.get(), g.out());
  EXPECT_FALSE(g);
  CoUninitialize();
}

}  // namespace
