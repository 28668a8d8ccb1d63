// Message tables in real table files: the four places a table is looked
// for, in their order; the index opened or built; unknown numbers; the
// value buffer; and a table whose index can be neither opened nor made.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "port/wstr.h"
#include "qx/db.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/msglist.h"
#include "test_support.h"

using qxtest::TempDir;
using qxtest::u8;

namespace {

struct Message {
  const char16_t* number;
  const char16_t* text;
};

class MsgTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qxtest::write_file(cfg_.file("qx.ini"), "[GENERAL]\n");
    qx_Global_destroyData();
    qx_Env_resetSes();
    qx_Db_closeAll();
    std::filesystem::create_directories(net_.file("language"));
    set_dir(u"QV", net_);
    set_dir(u"QVWS", local_);
    set_dir(u"QVTMP", temp_);
  }
  void TearDown() override {
    qx_Db_closeAll();
    qx_Env_resetSes();
    qx_Global_destroyData();
  }
  static void set_dir(const qx_wchar* name, const TempDir& dir) {
    qx_Env_setSes(name, qx::port::from_utf8(dir.path() + "/").c_str());
  }

  // Writes a table MSG_NO C 6, MSG_NAME C 40 with the messages, and its
  // index on MSG_NO when asked, through the table API.
  static void make_table(const std::string& path, const std::vector<Message>& messages,
                         bool with_index) {
    qx_DbFldList* fields = qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr));
    qx_DbFldList_insEnd(fields, u"MSG_NO", nullptr, 6, 0, u'C');
    qx_DbFldList_insEnd(fields, u"MSG_NAME", nullptr, 40, 0, u'C');
    int id = qx_Db_createDb(qx::port::from_utf8(path).c_str(), fields);
    qx_DbFldList_destroy(fields);
    ASSERT_GE(id, 0) << path;
    for (const Message& m : messages) {
      ASSERT_EQ(qx_Db_appRec(id), 0);
      ASSERT_EQ(qx_Db_assignFldStr(id, u"MSG_NO", m.number), 0);
      ASSERT_EQ(qx_Db_assignFldStr(id, u"MSG_NAME", m.text), 0);
      ASSERT_EQ(qx_Db_writeRec(id), 0);
    }
    if (with_index) {
      std::u16string base = qx::port::from_utf8(path.substr(0, path.size() - 4));
      ASSERT_GE(qx_Db_createNdx(id, base.c_str(), u"MSG_NO", 1), 0);
    }
    qx_Db_closeDb(id);
  }

  // The text of message 1 of table "qx_fra" wherever it is found now.
  static std::string first_message() {
    int table = 0, index = 0;
    if (qx_Msg_openDb(u"qx", u"fra", &table, &index) != 1) return "(none)";
    std::string text = u8(qx_Msg_getVal(table, index, u"1"));
    EXPECT_EQ(qx_Msg_closeDb(table), 1);
    return text;
  }

  TempDir cfg_, net_, local_, temp_;
  qxtest::ScopedEnv cfg_env_{"QX_CONFIG_DIR", cfg_.path()};
};

TEST_F(MsgTableTest, PlacesAreTriedInOrder) {
  const std::string places[] = {net_.file("language/qx_fra.dbf"), temp_.file("qx_fra.dbf"),
                                local_.file("qx_fra.dbf"), net_.file("qx_fra.dbf")};
  const char16_t* texts[] = {u"language", u"temporary", u"local", u"network"};
  for (int i = 0; i < 4; ++i) make_table(places[i], {{u"1", texts[i]}}, true);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(first_message(), u8(texts[i]));
    std::filesystem::remove(places[i]);
  }
  EXPECT_EQ(first_message(), "(none)");

  int table = 7, index = 7;
  EXPECT_EQ(qx_Msg_openDb(u"qx", u"fra", &table, &index), 0);
  EXPECT_EQ(table, -1) << "the last open's result";
  EXPECT_EQ(index, -1);
}

TEST_F(MsgTableTest, NumbersAreFoundThroughTheIndex) {
  // Out of number order, so only the index finds them by seeking.
  make_table(net_.file("qx_eng.dbf"),
             {{u"20", u"Twenty  "}, {u"3", u"Three"}, {u"100", u"A hundred"}, {u"1", u"One"}},
             true);
  int table = -1, index = -1;
  ASSERT_EQ(qx_Msg_openDb(u"qx", u"eng", &table, &index), 1);
  EXPECT_GE(table, 0);
  EXPECT_EQ(index % 100, 0);
  EXPECT_EQ(u8(qx_Msg_getVal(table, index, u"3")), "Three");
  EXPECT_EQ(u8(qx_Msg_getVal(table, index, u"20")), "Twenty") << "trailing blanks removed";
  EXPECT_EQ(u8(qx_Msg_getVal(table, index, u"100")), "A hundred");
  EXPECT_EQ(qx_Msg_getVal(table, index, u"2"), nullptr) << "no such number";
  EXPECT_EQ(qx_Msg_getVal(table, index, u"10"), nullptr) << "a prefix of 100 is no match";
  EXPECT_EQ(qx_Msg_getVal(table, index, u"999999"), nullptr);

  // One buffer, overwritten by the next call.
  qx_wchar* one = qx_Msg_getVal(table, index, u"1");
  qx_wchar* three = qx_Msg_getVal(table, index, u"3");
  EXPECT_EQ(one, three);
  EXPECT_EQ(u8(one), "Three");
  EXPECT_EQ(qx_Msg_closeDb(table), 1);
  EXPECT_EQ(qx_DbRef_sel(table), nullptr) << "the table is closed";
  EXPECT_EQ(qx_Msg_closeDb(table), 1) << "and again, still 1";
}

TEST_F(MsgTableTest, MissingIndexIsBuiltAndKeptForNextTime) {
  make_table(local_.file("qx_deu.dbf"), {{u"2", u"Zwei"}, {u"1", u"Eins"}}, false);
  ASSERT_FALSE(std::filesystem::exists(local_.file("qx_deu.cdx")));
  int table = -1, index = -1;
  ASSERT_EQ(qx_Msg_openDb(u"qx", u"deu", &table, &index), 1);
  EXPECT_EQ(u8(qx_Msg_getVal(table, index, u"1")), "Eins");
  qx_Msg_closeDb(table);
  EXPECT_TRUE(std::filesystem::exists(local_.file("qx_deu.cdx")));

  // The index made is a plain index the table API opens and seeks itself.
  int id = qx_Db_openDb(qx::port::from_utf8(local_.file("qx_deu.dbf")).c_str());
  int ndx = qx_Db_openNdx(id, qx::port::from_utf8(local_.file("qx_deu")).c_str());
  ASSERT_GE(ndx, 0);
  EXPECT_EQ(qx_Db_seekStr(u"2     ", id, ndx), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"MSG_NAME")), "Zwei");
  qx_Db_closeDb(id);
}

// A folder where the index file would be: it can be neither opened nor
// made, so the table is closed again and both ids are -1.
TEST_F(MsgTableTest, IndexThatCannotBeMadeClosesTheTable) {
  make_table(net_.file("qx_ita.dbf"), {{u"1", u"Uno"}}, false);
  std::filesystem::create_directories(net_.file("qx_ita.cdx"));
  int table = 0, index = 0;
  EXPECT_EQ(qx_Msg_openDb(u"qx", u"ita", &table, &index), 0);
  EXPECT_EQ(table, -1);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(qx_DbRef_sel(0), nullptr) << "nothing left open";
  EXPECT_EQ(qx_Msg_openDb(u"qx", u"ita", nullptr, nullptr), 0);
}

}  // namespace
