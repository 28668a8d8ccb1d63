// Field lists: node layout, the constructor, lookup and the cursor, the two
// families of readers, changing, adding under repeated names, ownership on
// destruction, and the text form of single nodes.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>

#include "fields/fld_list_owner.h"
#include "qx/fldlist.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"

namespace {

using std::u16string;

using List = qxtest::OwnedFldList;

u16string text_of(const qx_FldNode* node) {
  qx_wchar* text = qx_FldNode_getFldValue(node);
  u16string s = text ? text : u"<null>";
  std::free(text);
  return s;
}

// Fails exactly one allocation, `countdown` allocations from now, so a test
// can make each step of an operation run out of memory in turn.
int g_countdown = -1;
void* failing_alloc(size_t n) {
  if (g_countdown >= 0 && g_countdown-- == 0) return nullptr;
  return std::malloc(n);
}
struct FailNthAllocation {
  explicit FailNthAllocation(int n) {
    qx_MemoryManager_set(failing_alloc, nullptr, nullptr, nullptr);
    g_countdown = n;
  }
  ~FailNthAllocation() { g_countdown = -1; }
};

TEST(FldNodeLayout, NewNodeCarriesMarkersAndOwnCopies) {
  qx_wchar name[] = u"Pipe";
  qx_wchar text[] = u"abc";
  qx_FldNode* n = qx_FldList_newChar(name, text);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->spare1, 1);
  EXPECT_EQ(n->spare2, 0);
  EXPECT_EQ(n->type, u'C');
  name[0] = u'X';
  text[0] = u'X';
  EXPECT_EQ(u16string(n->name), u"PIPE");
  EXPECT_EQ(u16string(n->value.text), u"abc");
  qx_FldList_destroyNode(n);

  qx_FldNode* h = qx_FldList_newHandle(u"h", u"1a2f");
  EXPECT_EQ(u16string(h->value.text), u"1A2F");
  qx_FldList_destroyNode(h);
  qx_FldNode* u = qx_FldList_newUnknown(u"u");
  EXPECT_EQ(u->type, u'U');
  EXPECT_EQ(u->value.none, nullptr);
  qx_FldList_destroyNode(u);
}

TEST(FldListCreate, NoValueMarkerStoresZero) {
  List l(qx_FldList_create(u"a", 'I', -9999, u"b", 'N', -9999.004, u"c", 'I', -9998, u"d", 'N',
                           -9998.9, u"e", 'L', -9999, u"f", 'N', -9999.02, nullptr));
  EXPECT_EQ(qx_FldList_count(l), 6);
  EXPECT_EQ(qx_FldList_find(l, u"a")->value.integer, 0);
  EXPECT_EQ(qx_FldList_find(l, u"b")->value.real, 0.0);
  EXPECT_EQ(qx_FldList_find(l, u"c")->value.integer, -9998);
  EXPECT_EQ(qx_FldList_find(l, u"d")->value.real, -9998.9);
  EXPECT_EQ(qx_FldList_find(l, u"e")->value.integer, 0);
  EXPECT_EQ(qx_FldList_find(l, u"f")->value.real, -9999.02);
}

TEST(FldListCreate, ReadsEachValueFormAndKeepsOrder) {
  qx_StrList* unused = nullptr;
  List l(qx_FldList_create(u"t", 'C', u"text", u"h", 'H', u"ab", u"p", 'P', 1.0, 2.0, 3.0, u"s",
                           'S', unused, u"o", 'O', 4.0, 5.0, 6.0, u"v", 'V', unused, u"n", 'N',
                           2.5, nullptr));
  ASSERT_EQ(qx_FldList_count(l), 7);
  const char16_t expected_types[] = u"CHPUOUN";
  qx_FldList_start(l);
  for (int i = 0; i < 7; ++i, qx_FldList_next(l)) EXPECT_EQ(qx_FldList_curr(l)->type, expected_types[i]);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"h")), u"AB");
  EXPECT_EQ(text_of(qx_FldList_find(l, u"p")), u"P:1.000 2.000 3.000");
  // The word after an Unknown value must not shift the triples behind it.
  EXPECT_EQ(text_of(qx_FldList_find(l, u"o")), u"O:4.000 5.000 6.000");
  EXPECT_EQ(qx_FldList_find(l, u"n")->value.real, 2.5);

  List empty(qx_FldList_create(nullptr));
  ASSERT_NE(empty.list, nullptr);
  EXPECT_EQ(qx_FldList_count(empty), 0);
  EXPECT_TRUE(qx_FldList_eol(empty));
}

TEST(FldListFind, NamesMatchWithoutCaseAndFirstWins) {
  List l;
  qx_FldList_appInt(l, u"Size", 1);
  qx_FldList_appInt(l, u"other", 2);
  qx_FldList_appInt(l, u"SIZE", 3);
  qx_FldNode* n = qx_FldList_find(l, u"sIZE");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->value.integer, 1);
  EXPECT_EQ(u16string(n->name), u"SIZE");
  EXPECT_EQ(qx_FldList_find(l, u"siz"), nullptr);
  EXPECT_EQ(qx_FldList_find(l, u"sizes"), nullptr);
  EXPECT_EQ(qx_FldList_find(nullptr, u"size"), nullptr);
}

TEST(FldListFind, MatchesExactlyWhatCaseInsensitiveCompareCallsEqual) {
  // Single characters over the Latin-1 range and beyond: the lookup must
  // agree with qx_Str_cmpi, which defines name equality.
  List l;
  qx_FldList_appInt(l, u"x", 1);
  qx_FldNode* node = qx_FldList_find(l, u"x");
  for (char16_t stored = 1; stored < 0x180; ++stored) {
    node->name[0] = stored;
    for (char16_t key = 1; key < 0x180; ++key) {
      const qx_wchar k[] = {key, 0};
      bool found = qx_FldList_find(l, k) != nullptr;
      ASSERT_EQ(found, qx_Str_cmpi(node->name, k) == 0) << int(stored) << " " << int(key);
    }
  }
  // Names longer than any fixed key buffer match the same way.
  u16string stored(300, u'A');
  u16string key(300, u'a');
  stored += u"Z";
  key += u"z";
  qx_FldList_appInt(l, stored.c_str(), 2);
  ASSERT_NE(qx_FldList_find(l, key.c_str()), nullptr);
  EXPECT_EQ(qx_FldList_find(l, key.c_str())->value.integer, 2);
  key.back() = u'y';
  EXPECT_EQ(qx_FldList_find(l, key.c_str()), nullptr);
  EXPECT_EQ(qx_FldList_find(l, key.substr(0, 63).c_str()), nullptr);
  for (size_t n : {62, 63, 64, 65}) {
    qx_FldList_appInt(l, u16string(n, u'Q').c_str(), static_cast<int32_t>(n));
    qx_FldNode* hit = qx_FldList_find(l, u16string(n, u'q').c_str());
    ASSERT_NE(hit, nullptr) << n;
    EXPECT_EQ(hit->value.integer, static_cast<int32_t>(n));
  }
}

TEST(FldListFind, LeavesCursorOnMatchOrPastEnd) {
  List l;
  qx_FldList_appInt(l, u"a", 1);
  qx_FldList_appInt(l, u"b", 2);
  qx_FldList_appInt(l, u"c", 3);
  qx_FldList_find(l, u"B");
  EXPECT_EQ(qx_FldList_curr(l)->value.integer, 2);
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_curr(l)->value.integer, 3);
  qx_FldList_start(l);
  EXPECT_EQ(qx_FldList_find(l, u"zz"), nullptr);
  EXPECT_TRUE(qx_FldList_eol(l));
  EXPECT_EQ(qx_FldList_curr(l), nullptr);
  EXPECT_EQ(qx_FldList_find(l, nullptr), nullptr);
}

TEST(FldListGetByName, CharFormatsNumbersAsOtherType) {
  List l(qx_FldList_create(u"i", 'I', 42, u"l", 'L', -7, u"n", 'N', 1.5, u"p", 'P', 1.0, 2.0,
                           3.0, u"c", 'C', u"hello", nullptr));
  qx_wchar buf[32] = u"junk";
  EXPECT_EQ(qx_FldList_getChar(l, u"i", buf, 31), -3);
  EXPECT_EQ(u16string(buf), u"42");
  EXPECT_EQ(qx_FldList_getChar(l, u"l", buf, 31), -3);
  EXPECT_EQ(u16string(buf), u"-7");
  EXPECT_EQ(qx_FldList_getChar(l, u"n", buf, 31), -3);
  EXPECT_EQ(u16string(buf), u"1.500000");
  EXPECT_EQ(qx_FldList_getChar(l, u"p", buf, 31), -3);
  EXPECT_EQ(u16string(buf), u"");
  EXPECT_EQ(qx_FldList_getChar(l, u"c", buf, 31), 1);
  EXPECT_EQ(u16string(buf), u"hello");
  u16string(u"junk").copy(buf, 5);
  EXPECT_EQ(qx_FldList_getChar(l, u"missing", buf, 31), -2);
  EXPECT_EQ(u16string(buf), u"");
}

TEST(FldListGetByName, TextIsCutToSizeAndTerminated) {
  List l(qx_FldList_create(u"c", 'C', u"abcdef", u"n", 'N', 123.25, nullptr));
  qx_wchar buf[8];
  for (auto& c : buf) c = u'#';
  EXPECT_EQ(qx_FldList_getChar(l, u"c", buf, 3), 1);
  EXPECT_EQ(u16string(buf), u"abc");
  EXPECT_EQ(buf[4], u'#');
  for (auto& c : buf) c = u'#';
  EXPECT_EQ(qx_FldList_getChar(l, u"n", buf, 4), -3);
  EXPECT_EQ(u16string(buf), u"123.");
  EXPECT_EQ(buf[5], u'#');
  EXPECT_EQ(qx_FldList_getHandle(l, u"c", buf, 2), 1);
  EXPECT_EQ(u16string(buf), u"ab");
}

TEST(FldListGetByName, RealAndIntConvertDifferently) {
  List l(qx_FldList_create(u"c", 'C', u"12.75xyz", u"h", 'H', u"9", u"n", 'N', -2.7, u"i", 'I',
                           5, nullptr));
  double d = 99;
  EXPECT_EQ(qx_FldList_getReal(l, u"c", &d), -3);  // text converts but is told apart
  EXPECT_EQ(d, 12.75);
  EXPECT_EQ(qx_FldList_getReal(l, u"h", &d), -3);  // a Handle does not convert
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(qx_FldList_getReal(l, u"i", &d), 1);
  EXPECT_EQ(d, 5.0);
  d = 99;
  EXPECT_EQ(qx_FldList_getReal(l, u"none", &d), -2);
  EXPECT_EQ(d, 0.0);

  int32_t i = 77;
  EXPECT_EQ(qx_FldList_getInt(l, u"n", &i), 1);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(qx_FldList_getInt(l, u"c", &i), -3);
  EXPECT_EQ(i, 12);
  i = 77;
  EXPECT_EQ(qx_FldList_getInt(l, u"h", &i), -3);  // not cleared, not converted
  EXPECT_EQ(i, 77);
  EXPECT_EQ(qx_FldList_getInt(l, u"none", &i), -2);
  EXPECT_EQ(i, 77);
  long lv = 0x7777777777L;  // a 32-bit write would leave the upper half
  EXPECT_EQ(qx_FldList_getLong(l, u"i", &lv), 1);
  EXPECT_EQ(lv, 5);
  EXPECT_EQ(qx_FldList_getLong(l, u"c", &lv), -3);
  EXPECT_EQ(lv, 12);
}

TEST(FldListGetByName, OutOfRangeRealsDoNotTruncateWildly) {
  List l(qx_FldList_create(u"big", 'N', 1e20, u"ok", 'N', -2147483648.9, nullptr));
  int32_t i = 0;
  EXPECT_EQ(qx_FldList_getInt(l, u"big", &i), 1);
  EXPECT_EQ(i, INT32_MIN);
  EXPECT_EQ(qx_FldList_getInt(l, u"ok", &i), 1);
  EXPECT_EQ(i, INT32_MIN);
}

TEST(FldListGetByName, PointKindsOnly) {
  qx_Point p{1, 2, 3}, out{0, 0, 0};
  List l;
  qx_FldList_appMpoint(l, u"m", &p);
  qx_FldList_appInt(l, u"i", 1);
  EXPECT_EQ(qx_FldList_getPoint(l, u"m", &out, 0), 1);
  EXPECT_EQ(out.z, 3.0);
  EXPECT_EQ(qx_FldList_getVector(l, u"i", &out), -3);
  EXPECT_EQ(qx_FldList_getVector(l, u"x", &out), -2);
  qx_wchar buf[8] = u"junk";
  EXPECT_EQ(qx_FldList_getHandle(l, u"i", buf, 7), -3);
  EXPECT_EQ(u16string(buf), u"");
}

TEST(FldListCurrent, RealConvertsTextIntDoesNot) {
  List l(qx_FldList_create(u"c", 'C', u"3.5", nullptr));
  qx_FldList_start(l);
  double d = 0;
  EXPECT_EQ(qx_FldList_currReal(l, &d), 1);
  EXPECT_EQ(d, 3.5);
  int32_t i = 11;
  EXPECT_EQ(qx_FldList_currInt(l, &i), -3);
  EXPECT_EQ(i, 11);
  long lv = 3;
  EXPECT_EQ(qx_FldList_currLong(l, &lv), -3);
  EXPECT_EQ(lv, 3);
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_currReal(l, &d), -1);
  EXPECT_EQ(qx_FldList_currInt(l, &i), -1);
  qx_wchar buf[8] = u"keep";
  EXPECT_EQ(qx_FldList_currChar(l, buf, 7), -1);
  EXPECT_EQ(u16string(buf), u"keep");

  List n(qx_FldList_create(u"l", 'L', -5, u"n", 'N', 7.9, nullptr));
  qx_FldList_start(n);
  EXPECT_EQ(qx_FldList_currLong(n, &lv), 1);
  EXPECT_EQ(lv, -5L);  // sign-extended into the whole long
  qx_FldList_next(n);
  EXPECT_EQ(qx_FldList_currInt(n, &i), 1);
  EXPECT_EQ(i, 7);
}

TEST(FldListCurrent, NameTypeAndText) {
  List l(qx_FldList_create(u"Diameter", 'N', 0.25, u"k", 'C', u"x", nullptr));
  qx_wchar name[32];
  qx_wchar type = 0;
  qx_FldList_start(l);
  EXPECT_EQ(qx_FldList_currFldname(l, name), 1);
  EXPECT_EQ(u16string(name), u"DIAMETER");
  EXPECT_EQ(qx_FldList_currFldtype(l, &type), 1);
  EXPECT_EQ(type, u'N');
  qx_wchar buf[16];
  EXPECT_EQ(qx_FldList_currChar(l, buf, 15), -3);
  EXPECT_EQ(u16string(buf), u"0.250000");
  u16string(u"keep").copy(buf, 5);
  EXPECT_EQ(qx_FldList_currHandle(l, buf, 15), -3);
  EXPECT_EQ(u16string(buf), u"");
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_currHandle(l, buf, 15), 1);
  EXPECT_EQ(u16string(buf), u"x");
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_currFldname(l, name), -1);
  EXPECT_EQ(qx_FldList_currFldtype(l, &type), -1);
}

TEST(FldListCurrent, NullTextLeavesCurrBufferAsItWas) {
  List l;
  qx_FldList_appChar(l, u"c", nullptr);
  qx_wchar buf[8] = u"keep";
  qx_FldList_start(l);
  EXPECT_EQ(qx_FldList_currChar(l, buf, 7), 1);
  EXPECT_EQ(u16string(buf), u"keep");
  EXPECT_EQ(qx_FldList_getChar(l, u"c", buf, 7), 1);
  EXPECT_EQ(u16string(buf), u"");
  EXPECT_EQ(text_of(qx_FldList_find(l, u"c")), u"");
}

TEST(FldListCurrent, ListHandsOutNestedHandles) {
  List empty;
  void* h = nullptr;
  EXPECT_EQ(qx_FldList_currList(empty, &h), -3);  // -3, not -1

  List l;
  qx_FldList* inner = qx_FldList_create(u"x", 'I', 1, nullptr);
  qx_StrList* strings = qx_StrList_create(u"a", u"b", nullptr);
  qx_FldList_appList(l, u"v", inner);
  qx_FldList_appStrList(l, u"s", strings);
  qx_FldList_appInt(l, u"i", 1);
  qx_FldList_start(l);
  EXPECT_EQ(qx_FldList_currList(l, &h), 1);
  EXPECT_EQ(h, inner);
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_currList(l, &h), 1);
  EXPECT_EQ(h, strings);
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_currList(l, &h), -3);
}

TEST(FldListModify, ChangesTypeInPlaceAndFreesText) {
  List l(qx_FldList_create(u"a", 'I', 1, u"c", 'C', u"some text", u"z", 'I', 2, nullptr));
  EXPECT_EQ(qx_FldList_modReal(l, u"C", 2.5), 1);
  EXPECT_EQ(qx_FldList_count(l), 3);
  qx_FldList_start(l);
  qx_FldList_next(l);
  qx_FldNode* n = qx_FldList_curr(l);
  EXPECT_EQ(u16string(n->name), u"C");
  EXPECT_EQ(n->type, u'N');
  EXPECT_EQ(n->value.real, 2.5);

  EXPECT_EQ(qx_FldList_modChar(l, u"a", u"now text"), 1);
  EXPECT_EQ(qx_FldList_modChar(l, u"a", u"again"), 1);  // the first copy must be freed
  EXPECT_EQ(text_of(qx_FldList_find(l, u"a")), u"again");
  qx_Point p{1, 1, 1};
  EXPECT_EQ(qx_FldList_modVector(l, u"a", &p), 1);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"a")), u"O:1.000 1.000 1.000");
  EXPECT_EQ(qx_FldList_modUnknown(l, u"z"), 1);
  EXPECT_EQ(qx_FldList_find(l, u"z")->type, u'U');
}

TEST(FldListModify, MissingNameAppends) {
  List l;
  EXPECT_EQ(qx_FldList_modReal(l, u"r", 1.25), 1);
  EXPECT_EQ(qx_FldList_modHandle(l, u"h", u"abc"), 1);  // appended: upper-cased
  EXPECT_EQ(qx_FldList_count(l), 2);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"h")), u"ABC");
  EXPECT_EQ(qx_FldList_modHandle(l, u"h", u"def"), 1);  // changed: as given
  EXPECT_EQ(text_of(qx_FldList_find(l, u"h")), u"def");
  EXPECT_EQ(qx_FldList_count(l), 2);
}

TEST(FldListModify, OldNestedListStaysWithItsHolder) {
  List l;
  qx_FldList* inner = qx_FldList_create(u"x", 'C', u"kept", nullptr);
  qx_FldList_appList(l, u"v", inner);
  EXPECT_EQ(qx_FldList_modInt(l, u"v", 3), 1);
  // Still alive: the caller releases it.
  EXPECT_EQ(text_of(qx_FldList_find(inner, u"x")), u"kept");
  qx_FldList_destroy(inner);
}

TEST(FldListAdd, RepeatedNameBuildsNestedList) {
  List l;
  qx_FldList_appChar(l, u"before", u"b");
  EXPECT_EQ(qx_FldList_addIntVal(l, u"n", 1), 1);
  qx_FldList_appChar(l, u"after", u"a");
  EXPECT_EQ(qx_FldList_addIntVal(l, u"N", 2), 1);
  EXPECT_EQ(qx_FldList_addIntVal(l, u"n", 3), 1);
  ASSERT_EQ(qx_FldList_count(l), 3);

  qx_FldList_start(l);
  qx_FldList_next(l);
  qx_FldNode* v = qx_FldList_curr(l);  // still between the other two
  EXPECT_EQ(v->type, u'V');
  EXPECT_EQ(u16string(v->name), u"N");
  qx_FldList* inner = v->value.list;
  ASSERT_EQ(qx_FldList_count(inner), 3);
  qx_FldList_start(inner);
  for (int32_t want = 1; want <= 3; ++want, qx_FldList_next(inner)) {
    qx_FldNode* n = qx_FldList_curr(inner);
    EXPECT_EQ(u16string(n->name), u"N");
    EXPECT_EQ(n->type, u'I');
    EXPECT_EQ(n->value.integer, want);
  }
}

TEST(FldListAdd, MixedKindsAndHandlesUpperCased) {
  List l;
  EXPECT_EQ(qx_FldList_addHandleVal(l, u"h", u"a1"), 1);
  EXPECT_EQ(qx_FldList_addRealVal(l, u"h", 1.5), 1);
  EXPECT_EQ(qx_FldList_addHandleVal(l, u"h", u"b2"), 1);
  qx_FldList* inner = qx_FldList_find(l, u"h")->value.list;
  ASSERT_EQ(qx_FldList_count(inner), 3);
  qx_FldList_start(inner);
  EXPECT_EQ(text_of(qx_FldList_curr(inner)), u"A1");
  qx_FldList_next(inner);
  EXPECT_EQ(text_of(qx_FldList_curr(inner)), u"1.500000");
  qx_FldList_next(inner);
  EXPECT_EQ(text_of(qx_FldList_curr(inner)), u"B2");
}

TEST(FldListAdd, AddValDispatchesAndRefusesListKinds) {
  List l;
  int32_t i = 4;
  double d = 0.5;
  qx_Point p{1, 2, 3};
  EXPECT_EQ(qx_FldList_addVal(l, u"i", 'I', &i), 1);
  EXPECT_EQ(qx_FldList_addVal(l, u"d", 'N', &d), 1);
  EXPECT_EQ(qx_FldList_addVal(l, u"p", 'D', &p), 1);
  EXPECT_EQ(qx_FldList_addVal(l, u"c", 'C', u"txt"), 1);
  EXPECT_EQ(qx_FldList_addVal(l, u"u", 'U', nullptr), 1);
  EXPECT_EQ(qx_FldList_count(l), 5);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"p")), u"D:1.000 2.000 3.000");

  qx_FldList* nested = qx_FldList_create(nullptr);
  EXPECT_EQ(qx_FldList_addVal(l, u"v", 'V', nested), 0);
  EXPECT_EQ(qx_FldList_addVal(l, u"s", 'S', nested), 0);
  EXPECT_EQ(qx_FldList_addVal(l, u"i", 'Z', &i), 0);
  EXPECT_EQ(qx_FldList_count(l), 5);
  EXPECT_EQ(qx_FldList_find(l, u"i")->type, u'I');
  qx_FldList_destroy(nested);
}

TEST(FldListConvert, WrapsFieldInPlaceOnce) {
  List l(qx_FldList_create(u"a", 'I', 1, u"b", 'C', u"x", u"c", 'I', 3, nullptr));
  qx_FldNode* old = qx_FldList_find(l, u"b");
  qx_FldNode* v = qx_FldList_convertNodeToList(l, u"B");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, u'V');
  EXPECT_EQ(u16string(v->name), u"B");
  EXPECT_EQ(qx_FldList_count(v->value.list), 1);
  qx_FldList_start(v->value.list);
  EXPECT_EQ(qx_FldList_curr(v->value.list), old);  // moved, not copied
  qx_FldList_start(l);
  qx_FldList_next(l);
  EXPECT_EQ(qx_FldList_curr(l), v);
  EXPECT_EQ(qx_FldList_count(l), 3);

  EXPECT_EQ(qx_FldList_convertNodeToList(l, u"b"), nullptr);
  EXPECT_EQ(qx_FldList_find(l, u"b"), v);
}

TEST(FldListConvert, MissingNameAppendsEmptyListField) {
  List l;
  qx_FldNode* v = qx_FldList_convertNodeToList(l, u"new");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, u'V');
  EXPECT_EQ(v->value.list, nullptr);
  EXPECT_EQ(qx_FldList_count(l), 1);
  // Adding under it again must not crash on the missing nested list.
  EXPECT_EQ(qx_FldList_addIntVal(l, u"new", 1), 1);
  EXPECT_EQ(qx_FldList_count(l), 1);
}

TEST(FldListDestroy, ReleasesThreeLevels) {
  // Run under the sanitizers: any level left behind shows up as a leak.
  qx_FldList* inner = qx_FldList_create(u"t", 'C', u"text", nullptr);
  qx_FldList_appStrList(inner, u"s", qx_StrList_create(u"one", u"two", nullptr));
  qx_FldList* outer = qx_FldList_create(u"h", 'H', u"1f", nullptr);
  qx_FldList_appList(outer, u"v", inner);
  EXPECT_EQ(qx_FldList_destroy(outer), 1);
  EXPECT_EQ(qx_FldList_destroy(nullptr), 0);
  qx_FldList_destroyNode(nullptr);
}

TEST(FldListDestroy, DeleteByNameAndAtCursor) {
  List l(qx_FldList_create(u"a", 'C', u"1", u"b", 'C', u"2", u"a", 'C', u"3", nullptr));
  EXPECT_EQ(qx_FldList_delFld(l, u"A"), 1);
  EXPECT_EQ(qx_FldList_count(l), 2);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"a")), u"3");  // the first went
  EXPECT_EQ(qx_FldList_delFld(l, u"zz"), 0);
  EXPECT_EQ(qx_FldList_delFld(nullptr, u"a"), 0);
  EXPECT_EQ(qx_FldList_delFld(l, nullptr), 0);
  qx_FldList_start(l);
  EXPECT_EQ(qx_FldList_delCurr(l), 1);
  EXPECT_EQ(qx_FldList_count(l), 1);
  EXPECT_EQ(text_of(qx_FldList_curr(l)), u"3");
}

TEST(FldListMemory, FailedAllocationChangesNothing) {
  List l(qx_FldList_create(u"a", 'I', 1, nullptr));
  for (int step = 0; step < 4; ++step) {  // node, name, text copy, list link
    FailNthAllocation fail(step);
    EXPECT_EQ(qx_FldList_appChar(l, u"b", u"text"), -4) << "step " << step;
  }
  {
    FailNthAllocation fail(0);
    EXPECT_EQ(qx_FldList_newInt(u"x", 1), nullptr);
  }
  EXPECT_EQ(qx_FldList_count(l), 1);
  {
    FailNthAllocation fail(0);  // the text copy
    EXPECT_EQ(qx_FldList_modChar(l, u"a", u"text"), -4);
  }
  EXPECT_EQ(qx_FldList_find(l, u"a")->type, u'I');
  for (int step = 0; step < 4; ++step) {  // nested list, node, name, list link
    FailNthAllocation fail(step);
    EXPECT_EQ(qx_FldList_convertNodeToList(l, u"a"), nullptr) << "step " << step;
    EXPECT_EQ(qx_FldList_find(l, u"a")->type, u'I');
    EXPECT_EQ(qx_FldList_count(l), 1);
  }
}

TEST(FldListMemory, FailedAppendLeavesNestedListWithCaller) {
  List l;
  qx_FldList* nested = qx_FldList_create(u"x", 'C', u"t", nullptr);
  qx_StrList* strings = qx_StrList_create(u"a", nullptr);
  {
    FailNthAllocation fail(0);
    EXPECT_EQ(qx_FldList_appList(l, u"v", nested), -4);
  }
  {
    FailNthAllocation fail(2);  // the list link, after node and name
    EXPECT_EQ(qx_FldList_appStrList(l, u"s", strings), -4);
  }
  EXPECT_EQ(qx_FldList_count(l), 0);
  // Still the caller's, and alive: releasing them here must be the only release.
  EXPECT_EQ(text_of(qx_FldList_find(nested, u"x")), u"t");
  qx_FldList_destroy(nested);
  qx_StrList_destroy(strings);
}

TEST(FldListNullInput, NullListActsAsMissingFieldAndNullValuesReadAsZero) {
  int32_t i = 5;
  qx_wchar buf[4] = u"abc";
  EXPECT_EQ(qx_FldList_getInt(nullptr, u"a", &i), -2);
  EXPECT_EQ(qx_FldList_getChar(nullptr, u"a", buf, 3), -2);
  EXPECT_EQ(u16string(buf), u"");
  EXPECT_EQ(qx_FldList_appInt(nullptr, u"a", 1), -4);  // nowhere to put it
  EXPECT_EQ(qx_FldList_modInt(nullptr, u"a", 1), -4);
  EXPECT_EQ(qx_FldList_addIntVal(nullptr, u"a", 1), -4);
  EXPECT_EQ(qx_FldList_convertNodeToList(nullptr, u"a"), nullptr);
  EXPECT_EQ(qx_FldList_currInt(nullptr, &i), -1);
  EXPECT_EQ(qx_FldList_count(nullptr), 0);
  EXPECT_TRUE(qx_FldList_eol(nullptr));

  List l;
  EXPECT_EQ(qx_FldList_appPoint(l, u"p", nullptr), 1);
  EXPECT_EQ(qx_FldList_addVal(l, u"n", 'N', nullptr), 1);
  EXPECT_EQ(text_of(qx_FldList_find(l, u"p")), u"P:0.000 0.000 0.000");
  EXPECT_EQ(text_of(qx_FldList_find(l, u"n")), u"0.000000");
  EXPECT_EQ(qx_FldList_getInt(l, u"p", nullptr), -3);
  EXPECT_EQ(qx_FldList_getInt(l, u"n", nullptr), 1);
}

TEST(FldNodeText, EveryTypeHasItsForm) {
  qx_Point p{1, 2, 3};
  qx_Point q{-0.5, 0.0004, 1e3};
  List l;
  qx_FldList_appChar(l, u"c", u"a b");
  qx_FldList_appHandle(l, u"h", u"e1");
  qx_FldList_appInt(l, u"i", -12);
  qx_FldList_appLong(l, u"l", 2147483647);
  qx_FldList_appReal(l, u"n", 3.14159265);
  qx_FldList_appPoint(l, u"p", &p);
  qx_FldList_appMpoint(l, u"m", &q);
  qx_FldList_appDpoint(l, u"d", &p);
  qx_FldList_appVector(l, u"o", &p);
  qx_FldList_appUnknown(l, u"u");
  qx_FldList_appList(l, u"v", qx_FldList_create(u"x", 'I', 1, nullptr));
  qx_FldList_appStrList(l, u"s", qx_StrList_create(u"a", nullptr));
  const char16_t* expected[] = {u"a b",      u"E1",
                                u"-12",      u"2147483647",
                                u"3.141593", u"P:1.000 2.000 3.000",
                                u"M:-0.500 0.000 1000.000", u"D:1.000 2.000 3.000",
                                u"O:1.000 2.000 3.000",     u"",
                                u"",         u""};
  qx_FldList_start(l);
  for (const char16_t* want : expected) {
    EXPECT_EQ(text_of(qx_FldList_curr(l)), want) << char(qx_FldList_curr(l)->type);
    qx_FldList_next(l);
  }
  EXPECT_EQ(text_of(nullptr), u"");
}

TEST(FldNodeText, LongTextIsCutTo511) {
  u16string longText(700, u'x');
  qx_FldNode* n = qx_FldList_newChar(u"c", longText.c_str());
  EXPECT_EQ(text_of(n), u16string(511, u'x'));
  qx_FldList_destroyNode(n);
}

TEST(FldNodeText, UpdateSetsNumbersAndOverwritesTextWithinItsRoom) {
  qx_FldNode* i = qx_FldList_newInt(u"i", 1);
  qx_FldNode* l = qx_FldList_newLong(u"l", 1);
  qx_FldNode* n = qx_FldList_newReal(u"n", 1);
  qx_FldNode* c = qx_FldList_newChar(u"c", u"abcd");
  qx_Point p{1, 2, 3};
  qx_FldNode* pt = qx_FldList_newPoint(u"p", &p);
  qx_FldNode* u = qx_FldList_newUnknown(u"u");

  qx_FldNode_updateFldValue(i, u" -42x");
  EXPECT_EQ(i->value.integer, -42);
  qx_FldNode_updateFldValue(l, u"99999999999");
  EXPECT_EQ(l->value.integer, INT32_MAX);
  qx_FldNode_updateFldValue(n, u"2.5e1");
  EXPECT_EQ(n->value.real, 25.0);
  qx_wchar* stored = c->value.text;
  qx_FldNode_updateFldValue(c, u"a much longer text");  // cut, never written past
  EXPECT_EQ(c->value.text, stored);
  EXPECT_EQ(u16string(c->value.text), u"a mu");
  qx_FldNode_updateFldValue(c, u"xy");
  EXPECT_EQ(u16string(c->value.text), u"xy");
  qx_FldNode_updateFldValue(pt, u"5");
  EXPECT_EQ(text_of(pt), u"P:1.000 2.000 3.000");
  qx_FldNode_updateFldValue(u, u"5");
  EXPECT_EQ(u->type, u'U');
  qx_FldNode_updateFldValue(nullptr, u"5");

  for (qx_FldNode* node : {i, l, n, c, pt, u}) qx_FldList_destroyNode(node);
}

}  // namespace
