// Message lists and keyword lists against a real translator: a qx.ini that
// names a language and a message catalogue in a configuration folder of the
// test's own.
#include <gtest/gtest.h>

#include "core/msg_internal.h"
#include "port/com.h"
#include "qx/diag.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/msglist.h"
#include "test_support.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;

namespace {

class MsgListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qxtest::write_file(cfg_.file("qx.ini"), "[GENERAL]\nLANGUAGE=FRA\n");
    qxtest::write_file(cfg_.file("qx_messages.txt"),
                       "T_OPEN=Ouvrir\nT_SKIP=^unused\nT_COLORS=Rouge,Vert,Bleu\n"
                       "T_FEW=Rouge,Vert\nT_GLUED=Rouge et vert\nT_SEMI=Rouge;Vert\nSEP=;\n");
    CoInitialize(nullptr);
    qx_Global_destroyData();
    qx::reset_message_state();
    qx_Env_resetSes();
  }
  void TearDown() override {
    qx_Env_resetSes();
    qx::reset_message_state();
    qx_Global_destroyData();
    while (qx::port::com_initialized()) CoUninitialize();
  }
  std::vector<std::pair<std::string, std::string>> pairs(qx_MsgKeyWordList* list) {
    std::vector<std::pair<std::string, std::string>> out;
    for (qx_LnkListNode* at = list ? list->first : nullptr; at; at = at->next) {
      auto* node = static_cast<qx_MsgKeyWordListNode*>(at->data);
      out.emplace_back(u8(node->word), u8(node->translation));
    }
    return out;
  }

  TempDir cfg_;
  ScopedEnv cfg_env_{"QX_CONFIG_DIR", cfg_.path()};
};

TEST_F(MsgListTest, ListsAreLookedUpAndFoundByName) {
  // Groups of name, text, key, layout; layout 0 keeps the name for the next
  // group, which then starts with its text.
  qx_MsgList* list = qx_Msg_mlt(u"open", u"Open", u"T_OPEN", 1,
                                u"skip", u"Skipped", u"T_SKIP", 0,
                                u"Second", u"T_NONE", 2,
                                u"plain", u"Plain", nullptr,
                                u"tail", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(qx_LnkList_length(list), 4);
  EXPECT_EQ(u8(qx_Msg_find(list, u"open")), "Ouvrir");
  EXPECT_EQ(u8(qx_Msg_find(list, u"skip")), "Skipped") << "a text marked '^' is not used";
  EXPECT_EQ(u8(qx_Msg_find(list, u"OPEN")), "OPEN") << "names match exactly";
  EXPECT_EQ(u8(qx_Msg_find(list, u"nobody")), "nobody");
  auto* third = static_cast<qx_MsgNode*>(qx_LnkList_getNth(list, 2));
  EXPECT_EQ(u8(third->name), "skip") << "the name kept after layout 0";
  EXPECT_EQ(u8(third->text), "Second ") << "not in the catalogue: the default with its layout";
  auto* fourth = static_cast<qx_MsgNode*>(qx_LnkList_getNth(list, 3));
  EXPECT_EQ(u8(fourth->text), "Plain") << "no key, not looked up";
  EXPECT_EQ(qx_MsgList_destroy(list), 1);

  qx_MsgNode* node = qx_MsgNode_create(u"a-name-longer-than-sixteen", u"Open", u"T_OPEN", 1, 9);
  EXPECT_EQ(u8(node->name), "a-name-longer-th");
  qx_MsgList* padded = qx_LnkList_create(node, nullptr);
  EXPECT_EQ(qx_Msg_multiple(padded), 1);
  EXPECT_EQ(u8(node->text), "Ouvrir   ") << "padded to the width";
  qx_MsgList_destroy(padded);
}

TEST_F(MsgListTest, ArrayStopsAtTheFirstEmptyName) {
  const qx_wchar* const records[][4] = {
      {u"open", u"Open", u"T_OPEN", reinterpret_cast<const qx_wchar*>(intptr_t{1})},
      {u"", u"Never", u"T_OPEN", nullptr},
      {u"late", u"Late", u"T_OPEN", nullptr},
      {nullptr, nullptr, nullptr, nullptr}};
  qx_MsgList* list = qx_Msg_mltReadArray(records);
  EXPECT_EQ(qx_LnkList_length(list), 1);
  EXPECT_EQ(u8(qx_Msg_find(list, u"open")), "Ouvrir");
  EXPECT_EQ(u8(qx_Msg_find(list, u"late")), "late");
  qx_MsgList_destroy(list);
}

TEST_F(MsgListTest, KeywordsArePairedWithTheirTranslation) {
  qx_MsgKeyWordList* list = qx_Msg_getKeyWordList(u"Red,Green,Blue", u"T_COLORS");
  using P = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(pairs(list), (P{{"Red", "Rouge"}, {"Green", "Vert"}, {"Blue", "Bleu"}}));
  EXPECT_EQ(u8(qx_MsgKeyWordList_find(list, u"GREEN")), "Vert") << "case-blind";
  EXPECT_EQ(u8(qx_MsgKeyWordList_find(list, u"Yellow")), "Yellow");
  EXPECT_EQ(u8(qx_MsgKeyWordList_find(list, nullptr)), "");
  qx_MsgKeyWordList_destroy(list);

  list = qx_Msg_getKeyWordList(u"Red,Green,Blue", u"T_FEW");
  EXPECT_EQ(pairs(list), (P{{"Red", "Rouge"}, {"Green", "Vert"}})) << "as far as both go";
  qx_MsgKeyWordList_destroy(list);

  list = qx_Msg_getKeyWordList(u"Red,Green", u"T_GLUED");
  ASSERT_NE(list, nullptr) << "a translation without separator gives an empty list";
  EXPECT_EQ(qx_LnkList_length(list), 0);
  qx_MsgKeyWordList_destroy(list);
  EXPECT_EQ(qx_Msg_getKeyWordList(u"Red", nullptr), nullptr);

  qx_MsgKeyWordList* own = qx_MsgKeyWordList_create();
  EXPECT_EQ(qx_MsgKeyWordList_append(own, u"a", nullptr), 0);
  EXPECT_EQ(qx_MsgKeyWordList_append(own, u"a", u"b"), 0);
  EXPECT_EQ(pairs(own), (P{{"a", "b"}}));
  qx_MsgKeyWordList_destroy(own);
  EXPECT_EQ(qx_MsgKeyWordListNode_destroy(nullptr), 0);
}

// A language with a separator file uses the translated separator, and the
// diagnostics tell the locale and the count.
TEST_F(MsgListTest, LanguageSeparatorAndDiagnostics) {
  TempDir net;
  std::filesystem::create_directories(net.file("language"));
  qxtest::write_file(cfg_.file("qx.ini"), "[GENERAL]\nLANGUAGE=FRA\nLANG_LOCALE=C\n");
  qx_Global_destroyData();
  qx_Env_setSes(u"QV", qx::port::from_utf8(net.path()).c_str());
  qx_Diag_setOutput(2, qx::port::from_utf8(net.file("diag.log")).c_str());
  int16_t level = qx_Diag_setLevel(2);
  uint32_t condition = qx_Diag_setCondition(QX_DIAG_MSG);

  qx_MsgKeyWordList* comma = qx_Msg_getKeyWordList(u"Red,Green", u"T_SEMI");
  EXPECT_EQ(qx_LnkList_length(comma), 0) << "no separator file: ',' separates";
  qxtest::write_file(net.file("language/sep_fra.dbf"), "");
  qx_MsgKeyWordList* semi = qx_Msg_getKeyWordList(u"Red,Green", u"T_SEMI");
  EXPECT_EQ(u8(qx_MsgKeyWordList_find(semi, u"green")), "Vert");

  qx_Diag_setLevel(level);
  qx_Diag_setCondition(condition);
  qx_Diag_setOutput(0, nullptr);
  qx_MsgKeyWordList_destroy(comma);
  qx_MsgKeyWordList_destroy(semi);
  std::string log = qxtest::read_file(net.file("diag.log"));
  EXPECT_NE(log.find("Current locale set to C original locale C"), std::string::npos) << log;
  EXPECT_NE(log.find("Leaving with key word string count is 0"), std::string::npos) << log;
  EXPECT_NE(log.find("Leaving with key word string count is 2"), std::string::npos) << log;
}

}  // namespace
