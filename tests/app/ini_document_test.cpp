// The settings service's INI files: the line rules, changes that keep every
// other line byte for byte, and the cache.
#include <gtest/gtest.h>

#include <filesystem>

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

TEST(IniDocument, GivesBackTheBytesItRead) {
  const std::string files[] = {
      "",
      "\xEF\xBB\xBF[G]\r\nk=v\r\n",
      "[G]\nmixed=1\r\n\n  ; note\r\nno end",
      "[Caf\xE9]\nname=\xE9t\xE9\n",  // ISO-8859-1
      "[G]\nlong=" + std::string(5000, 'x') + "\n",
      "\n\n  \t\n",
  };
  for (const std::string& bytes : files) EXPECT_EQ(IniDocument::parse(bytes).text(), bytes);
}

TEST(IniDocument, LineRules) {
  IniDocument doc = IniDocument::parse(
      "  [ First ]\r\n"
      "a = = b\n"
      "  spaced   =  value with blanks  \n"
      "; c = comment\n"
      "\n"
      "bare line\n"
      "a=second a\n"
      "[Second\n"
      "x=1\n"
      "[first]\n"
      "late=in a second block\n");
  EXPECT_EQ(doc.groups(), (std::vector<std::u16string>{u"First", u"Second"}));
  EXPECT_EQ(doc.value(u"FIRST", u"A"), u"b") << "blanks and '=' skipped before the value";
  EXPECT_EQ(doc.value(u"first", u"spaced"), u"value with blanks  ") << "trailing blanks stay";
  EXPECT_EQ(doc.value(u"first", u"bare line"), u"") << "a line without '=' is a name";
  EXPECT_FALSE(doc.value(u"first", u"; c").has_value()) << "comments are not entries";
  EXPECT_EQ(doc.value(u"Second", u"x"), u"1") << "a missing ']' is accepted";
  EXPECT_FALSE(doc.value(u"First", u"late").has_value()) << "a group's first block counts";
  EXPECT_EQ(doc.entries(u"first").size(), 4u);
  EXPECT_FALSE(doc.value(u"Third", u"x").has_value());
}

TEST(IniDocument, ChangesTouchOnlyTheirOwnLines) {
  IniDocument doc = IniDocument::parse(
      "\xEF\xBB\xBF; header comment\r\n[G]\r\nk = old  \r\nkeep  =  as written\r\n\r\n"
      "; about H\r\n[H]\r\nz=9");
  EXPECT_TRUE(doc.set_value(u"g", u"K", u"new"));
  EXPECT_TRUE(doc.set_value(u"G", u"added", u"1"));
  EXPECT_TRUE(doc.set_value(u"Fresh", u"n", u"v"));
  EXPECT_EQ(doc.text(),
            "\xEF\xBB\xBF; header comment\r\n[G]\r\nk=new\r\nkeep  =  as written\r\nadded=1\r\n"
            "\r\n; about H\r\n[H]\r\nz=9\r\n[Fresh]\r\nn=v\r\n")
      << "the first line end of the file is the one new lines take";
  EXPECT_TRUE(doc.modified());

  EXPECT_FALSE(doc.add_group(u"g")) << "exists already";
  EXPECT_TRUE(doc.remove_group(u"G"));
  EXPECT_FALSE(doc.remove_group(u"G"));
  EXPECT_EQ(doc.text(), "\xEF\xBB\xBF; header comment\r\n\r\n; about H\r\n[H]\r\nz=9\r\n[Fresh]\r\nn=v\r\n")
      << "the comment before the next group stays";
  EXPECT_TRUE(doc.clear_group(u"h"));
  EXPECT_TRUE(doc.entries(u"H").empty());
  EXPECT_TRUE(doc.has_group(u"H"));
}

TEST(IniDocument, RefusesWhatWouldNotReadBack) {
  IniDocument doc = IniDocument::parse("[G]\nk=v\n");
  EXPECT_FALSE(doc.set_value(u"G", u"a=b", u"x"));
  EXPECT_FALSE(doc.set_value(u"G", u"[x", u"x"));
  EXPECT_FALSE(doc.set_value(u"G", u"; x", u"x"));
  EXPECT_FALSE(doc.set_value(u"G", u"", u"x"));
  EXPECT_FALSE(doc.set_value(u"G", u"k", u"two\nlines"));
  EXPECT_FALSE(doc.set_value(u"a]b", u"k", u"x"));
  EXPECT_FALSE(doc.add_group(u" padded "));
  EXPECT_FALSE(doc.modified());
  EXPECT_EQ(doc.text(), "[G]\nk=v\n");
}

TEST(IniDocument, KeepsTheEncodingOfTheFile) {
  IniDocument latin = IniDocument::parse("[G]\nk=caf\xE9\n");
  EXPECT_EQ(latin.value(u"G", u"k"), u"caf\u00E9");
  latin.set_value(u"G", u"n", u"\u00E9t\u00E9");
  EXPECT_EQ(latin.text(), "[G]\nk=caf\xE9\nn=\xE9t\xE9\n");

  IniDocument utf8 = IniDocument::parse("[G]\nk=caf\xC3\xA9\n");
  EXPECT_EQ(utf8.value(u"G", u"k"), u"caf\u00E9");
  utf8.set_value(u"G", u"n", u"\u00E9");
  EXPECT_EQ(utf8.text(), "[G]\nk=caf\xC3\xA9\nn=\xC3\xA9\n");
}

class IniService : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    service_ = qx::ComPtr<qx::app::IIniService>::attach(qx::app::create_ini_service());
  }
  void TearDown() override {
    service_.reset();
    CoUninitialize();
  }
  std::string get(const std::string& path, const char16_t* group, const char16_t* name) {
    qx::port::Bstr file(qx::port::from_utf8(path)), g(group), n(name), value;
    EXPECT_EQ(service_->GetValue(file.get(), g.get(), n.get(), value.out()), S_OK);
    return u8(value.str());
  }
  bool set(const std::string& path, const char16_t* group, const char16_t* name,
           const char16_t* value) {
    qx::port::Bstr file(qx::port::from_utf8(path)), g(group), n(name), v(value);
    VARIANT_BOOL written = VARIANT_FALSE;
    // A change that cannot be made is a result, not a failing call.
    EXPECT_EQ(service_->SetValue(file.get(), g.get(), n.get(), v.get(), &written), S_OK);
    return written == VARIANT_TRUE;
  }

  TempDir dir_;
  qx::ComPtr<qx::app::IIniService> service_;
};

TEST_F(IniService, CachesUntilReloadAndWritesThrough) {
  std::string path = dir_.file("c.ini");
  write_file(path, "[G]\nk=one\n");
  EXPECT_EQ(get(path, u"G", u"k"), "one");
  write_file(path, "[G]\nk=two\n");
  EXPECT_EQ(get(path, u"G", u"k"), "one") << "served from the cache";
  qx::port::Bstr file(qx::port::from_utf8(path));
  EXPECT_EQ(service_->Reload(file.get()), S_OK);
  EXPECT_EQ(get(path, u"G", u"k"), "two");

  EXPECT_TRUE(set(path, u"G", u"k", u"three"));
  EXPECT_EQ(read_file(path), "[G]\nk=three\n");

  qx::ComPtr<qx::app::IIniGroup> g;
  qx::port::Bstr group(u"g"), missing(u"NoSuchGroup");
  EXPECT_EQ(service_->GetGroup(file.get(), group.get(), g.out()), S_OK);
  ASSERT_TRUE(g);
  int32_t count = 0;
  EXPECT_EQ(g->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(g->get_Count(nullptr), E_POINTER);
  // A group held across changes sees them, its own and the service's.
  qx::port::Bstr added(u"added"), text(u"1");
  BSTR n = added.get(), v = text.get();
  EXPECT_EQ(g->Add(&n, &v), S_OK);
  g->get_Count(&count);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(set(path, u"G", u"third", u"3"));
  g->get_Count(&count);
  EXPECT_EQ(count, 3);
  VARIANT_BOOL cleared = VARIANT_FALSE;
  EXPECT_EQ(g->Clear(&cleared), S_OK);
  g->get_Count(&count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(read_file(path), "[G]\n");
  EXPECT_EQ(service_->GetGroup(file.get(), missing.get(), g.out()), S_OK);
  EXPECT_FALSE(g) << "a missing group is an empty answer";
  EXPECT_EQ(service_->GetGroup(file.get(), group.get(), nullptr), E_POINTER);
}

TEST_F(IniService, AChangeIsMadeToTheFileAsItIsOnDisk) {
  std::string path = dir_.file("shared.ini");
  write_file(path, "[G]\na=1\n");
  EXPECT_EQ(get(path, u"G", u"a"), "1");
  // Another writer changes the file behind the cache's back...
  write_file(path, "[G]\na=1\nb=2\n");
  // ...and a change through the service keeps that writer's value.
  EXPECT_TRUE(set(path, u"G", u"c", u"3"));
  EXPECT_EQ(read_file(path), "[G]\na=1\nb=2\nc=3\n");
  EXPECT_EQ(get(path, u"G", u"b"), "2");
}

TEST_F(IniService, FilesThatCannotBeWrittenStayAsTheyWere) {
  std::filesystem::create_directory(dir_.file("dir.ini"));
  EXPECT_FALSE(set(dir_.file("dir.ini"), u"G", u"k", u"v"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("dir.ini")));
  EXPECT_FALSE(set(dir_.file("no/folder/x.ini"), u"G", u"k", u"v"));

  std::string path = dir_.file("ro.ini");
  write_file(path, "[G]\nk=v\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  EXPECT_FALSE(set(path, u"G", u"k", u"w"));
  EXPECT_EQ(get(path, u"G", u"k"), "v") << "the cache agrees with the file again";
  EXPECT_EQ(read_file(path), "[G]\nk=v\n");
}

}  // namespace
