// Whole-list operations: deep copies that stay independent of their source,
// merging by name, field copies under new names, the comparison rules and
// the list difference, moving geometry against the geometry family's own
// results, lists from name=value lines, and the exact printed lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "diag_reset.h"
#include "fields/fld_list_owner.h"
#include "qx/diag.h"
#include "qx/fldlist.h"
#include "qx/point.h"
#include "qx/rotation.h"
#include "qx/strlist.h"

namespace {

using std::u16string;

using List = qxtest::OwnedFldList;

u16string value_of(qx_FldList* list, const qx_wchar* name) {
  qx_FldNode* node = qx_FldList_find(list, name);
  if (!node) return u"<missing>";
  qx_wchar* text = qx_FldNode_getFldValue(node);
  u16string s = u16string(1, node->type) + u"=" + text;
  std::free(text);
  return s;
}

// Every field as "NAME type=value", nested lists in brackets.
u16string dump(qx_FldList* list) {
  u16string out;
  if (!list) return u"<null>";
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<qx_FldNode*>(at->data);
    out += node->name + u16string(u" ") + node->type;
    if (node->type == 'V') {
      out += u"[" + dump(node->value.list) + u"]";
    } else {
      qx_wchar* text = qx_FldNode_getFldValue(node);
      out += u"=" + u16string(text) + u";";
      std::free(text);
    }
  }
  return out;
}

qx_FldList* sample() {
  qx_FldList* inner = qx_FldList_create(u"DEPTH", 'N', 2.5, nullptr);
  qx_FldList* list = qx_FldList_create(u"NAME", 'C', u"Pipe", u"SIZE", 'I', 3, u"KEY", 'H',
                                       u"ab", u"LEN", 'L', 7, u"AT", 'P', 1.0, 2.0, 3.0,
                                       u"DIR", 'O', 0.0, 0.0, 1.0, nullptr);
  qx_FldList_appList(list, u"SUB", inner);
  return list;
}

TEST(FldListCopy, IsDeepAndIndependentOfItsSource) {
  List src(sample());
  qx_StrList* strings = qx_StrList_create(u"a", u"b", nullptr);
  qx_FldList_appStrList(src, u"LINES", strings);
  List copy(qx_FldList_copy(src));
  EXPECT_EQ(dump(copy),
            u"NAME C=Pipe;SIZE I=3;KEY H=AB;LEN L=7;AT P=P:1.000 2.000 3.000;"
            u"DIR O=O:0.000 0.000 1.000;SUB V[DEPTH N=2.500000;]LINES U=;");
  EXPECT_TRUE(qx_FldList_eol(src));  // the walk leaves the source past the end
  qx_FldNode* sub_src = qx_FldList_find(src, u"SUB");
  qx_FldNode* sub_copy = qx_FldList_find(copy, u"SUB");
  ASSERT_NE(sub_copy->value.list, sub_src->value.list);
  qx_FldList_modReal(sub_copy->value.list, u"DEPTH", 9.0);
  qx_FldList_modChar(copy, u"NAME", u"Valve");
  EXPECT_EQ(value_of(sub_src->value.list, u"DEPTH"), u"N=2.500000");
  EXPECT_EQ(value_of(src, u"NAME"), u"C=Pipe");
  qx_FldList_destroy(copy.list);
  copy.list = nullptr;
  EXPECT_EQ(value_of(src, u"SUB"), u"V=");  // still there, still readable
  EXPECT_EQ(value_of(sub_src->value.list, u"DEPTH"), u"N=2.500000");
}

TEST(FldListCopy, NullGivesAnEmptyList) {
  List copy(qx_FldList_copy(nullptr));
  ASSERT_NE(copy.list, nullptr);
  EXPECT_EQ(qx_FldList_count(copy), 0);
}

TEST(FldListConcatenate, AppendsEverythingKeepingDuplicates) {
  List dst(qx_FldList_create(u"SIZE", 'I', 1, nullptr));
  List src(qx_FldList_create(u"SIZE", 'I', 2, u"KEY", 'H', u"xy", nullptr));
  EXPECT_EQ(qx_FldList_concatenate(dst, src), 1);
  EXPECT_EQ(dump(dst), u"SIZE I=1;SIZE I=2;KEY H=XY;");
  EXPECT_EQ(qx_FldList_concatenate(dst, nullptr), 0);
  EXPECT_EQ(qx_FldList_concatenate(nullptr, src), 0);
  EXPECT_EQ(qx_FldList_concatenate(dst, dst), 1);  // a list into itself ends
  EXPECT_EQ(qx_FldList_count(dst), 6);
}

TEST(FldListCombine, ReplacesByNameInPlaceAndAppendsTheRest) {
  List dst(qx_FldList_create(u"A", 'C', u"x", u"B", 'C', u"old", u"C", 'H', u"KEEP", nullptr));
  List src(qx_FldList_create(u"B", 'N', 1.5, u"D", 'H', u"new", u"C", 'H', u"", nullptr));
  qx_FldList_modHandle(src, u"C", u"low");
  EXPECT_EQ(qx_FldList_combine(dst, src), 1);
  // A replaced Handle keeps its letters; an appended one is upper-cased.
  EXPECT_EQ(dump(dst), u"A C=x;B N=1.500000;C H=low;D H=NEW;");
  EXPECT_EQ(qx_FldList_combine(nullptr, src), 0);
}

TEST(FldListCopyFld, StoresUnderTheNewNameByTheReadersRules) {
  List src(sample());
  List dst(qx_FldList_create(u"TAG", 'I', 1, nullptr));
  EXPECT_EQ(qx_FldList_copyFld(src, u"key", dst, u"TAG"), 1);  // a Handle becomes Char
  EXPECT_EQ(qx_FldList_copyFld(src, u"LEN", dst, u"L2"), 1);
  EXPECT_EQ(qx_FldList_copyFld(src, u"DIR", dst, u"D2"), 1);
  EXPECT_EQ(qx_FldList_copyFld(src, u"SUB", dst, u"S2"), 1);  // found, nothing copied
  EXPECT_EQ(qx_FldList_copyFld(src, u"NONE", dst, u"X"), 0);
  EXPECT_EQ(qx_FldList_copyFld(src, nullptr, dst, u"X"), 0);
  EXPECT_EQ(dump(dst), u"TAG C=AB;L2 L=7;D2 O=O:0.000 0.000 1.000;");
  u16string long_text(600, u'q');
  qx_FldList_modChar(src, u"NAME", long_text.c_str());
  qx_FldList_copyFld(src, u"NAME", dst, u"CUT");
  EXPECT_EQ(qx_FldList_find(dst, u"CUT")->value.text, long_text.substr(0, 512));
}

TEST(FldListCompareNode, FollowsTypeOrderAndTolerances) {
  List l(qx_FldList_create(u"R1", 'N', 1.0, u"R2", 'N', 1.0005, u"R3", 'N', 1.002, u"R4", 'N',
                           0.001, u"R5", 'N', 0.0, u"I1", 'I', 4, u"I2", 'L', 4, u"T1", 'C', u"abc", u"T2", 'C',
                           u"abd", u"P1", 'P', 0.0, 0.0, 0.0, u"P2", 'P', 0.0, 0.0009, 0.0,
                           u"P3", 'P', 0.0, 0.0, 0.01, nullptr));
  auto node = [&](const qx_wchar* n) { return qx_FldList_find(l, n); };
  EXPECT_EQ(qx_FldList_compareNode(node(u"R1"), node(u"R2")), 0);
  EXPECT_EQ(qx_FldList_compareNode(node(u"R1"), node(u"R3")), -1);
  EXPECT_EQ(qx_FldList_compareNode(node(u"R3"), node(u"R1")), 1);
  EXPECT_EQ(qx_FldList_compareNode(node(u"R4"), node(u"R5")), 1);  // the bound counts as apart
  EXPECT_EQ(qx_FldList_compareNode(node(u"I1"), node(u"R1")), -1);  // 'I' sorts before 'N'
  EXPECT_EQ(qx_FldList_compareNode(node(u"I2"), node(u"I1")), 1);   // 'L' after 'I'
  EXPECT_LT(qx_FldList_compareNode(node(u"T1"), node(u"T2")), 0);
  EXPECT_EQ(qx_FldList_compareNode(node(u"P1"), node(u"P2")), 0);
  EXPECT_EQ(qx_FldList_compareNode(node(u"P3"), node(u"P1")), 1);
  EXPECT_EQ(qx_FldList_compareNode(node(u"P1"), node(u"P3")), 1);  // points are only equal or not
  EXPECT_EQ(qx_FldList_compareNode(nullptr, node(u"P1")), -2);
}

TEST(FldListDiff, TakesChangedFieldsAndOptionallyMissingOnes) {
  List a(qx_FldList_create(u"SAME", 'I', 1, u"CHANGED", 'C', u"x", u"ONLY_A", 'N', 2.0, nullptr));
  List b(qx_FldList_create(u"ONLY_B", 'I', 9, u"changed", 'C', u"y", u"SAME", 'I', 1, nullptr));
  List d(qx_FldList_diff(a, b, 0));
  EXPECT_EQ(dump(d), u"CHANGED C=x;");
  List m(qx_FldList_diff(a, b, 1));
  EXPECT_EQ(dump(m), u"CHANGED C=x;ONLY_A N=2.000000;");
  qx_FldList_modChar(b, u"CHANGED", u"x");
  EXPECT_EQ(qx_FldList_diff(a, b, 0), nullptr);
  // The result is a copy: a is left whole.
  EXPECT_EQ(qx_FldList_count(a), 3);
}

TEST(FldListApplyTransform, OffsetOnlyMovesTheChosenPositions) {
  List l(qx_FldList_create(u"P", 'P', 0.0, 0.0, 0.0, u"O", 'O', 0.0, 0.0, 1.0, u"M", 'M', 5.0,
                           5.0, 5.0, nullptr));
  const double offset[3] = {1, 2, 3};
  EXPECT_EQ(qx_FldList_applyTransform(l, offset, nullptr, u"P"), 1);
  EXPECT_EQ(dump(l), u"P P=P:1.000 2.000 3.000;O O=O:0.000 0.000 1.000;M M=M:5.000 5.000 5.000;");
  EXPECT_EQ(qx_FldList_applyTransform(l, nullptr, nullptr, u"P"), 0);
  EXPECT_EQ(qx_FldList_applyTransform(l, offset, nullptr, nullptr), 0);
  EXPECT_EQ(qx_FldList_applyTransform(nullptr, offset, nullptr, u"P"), 0);
}

TEST(FldListApplyTransform, AgreesWithTheGeometryFunctions) {
  qx_RotMatrix* m = qx_RotMatrix_create();
  qx_RotMatrix_rotate(m, m, 0.3, -0.7, 1.1);
  const qx_Point p{1.5, -2, 4}, v{0.2, 0.3, -0.9}, offset{10, 20, 30};
  List l(qx_FldList_create(u"P", 'P', p.x, p.y, p.z, u"M", 'M', p.x, p.y, p.z, u"D", 'D', v.x,
                           v.y, v.z, u"O", 'O', v.x, v.y, v.z, u"N", 'N', 1.0, nullptr));
  EXPECT_EQ(qx_FldList_applyTransform(l, &offset.x, m, u"PMDON"), 1);
  qx_Point want_p = p, want_v = v;
  qx_RotMatrix_rotatePoint(&want_p, m);
  qx_Point_add(&want_p, &want_p, &offset);
  qx_RotMatrix_rotateVector(&want_v, m);
  ASSERT_GT(std::abs(want_p.x - p.x - offset.x), 1e-3);  // the rotation really moves it
  for (const qx_wchar* name : {u"P", u"M", u"D", u"O"}) {
    const qx_Point& want = (name[0] == 'P' || name[0] == 'M') ? want_p : want_v;
    const qx_Point& got = qx_FldList_find(l, name)->value.point;
    EXPECT_DOUBLE_EQ(got.x, want.x) << static_cast<char>(name[0]);
    EXPECT_DOUBLE_EQ(got.y, want.y) << static_cast<char>(name[0]);
    EXPECT_DOUBLE_EQ(got.z, want.z) << static_cast<char>(name[0]);
  }
  EXPECT_EQ(value_of(l, u"N"), u"N=1.000000");
  qx_RotMatrix_destroy(m);
}

TEST(FldListFromEnvList, KeepsOnlyLinesWithNameAndValue) {
  qx_StrList* lines = qx_StrList_create(u"  PATH = /usr/bin  ", u"EMPTY=", u"=novalue",
                                        u"NOEQUALS", u"A==b = c", nullptr);
  List l(qx_FldList_fromEnvList(lines));
  EXPECT_EQ(dump(l), u"PATH C=/usr/bin;A C=b = c;");
  EXPECT_EQ(qx_FldList_curr(l), l.list->first->data);  // current on the first field
  qx_StrList* nothing = qx_StrList_create(u"X=", nullptr);
  EXPECT_EQ(qx_FldList_fromEnvList(nothing), nullptr);
  EXPECT_EQ(qx_FldList_fromEnvList(nullptr), nullptr);
  qx_StrList_destroy(nothing);
  qx_StrList_destroy(lines);
}

std::string printed(qx_FldList* list, int level) {
  ::testing::internal::CaptureStdout();
  qx_FldList_printLevelList(list, level);
  return ::testing::internal::GetCapturedStdout();
}

TEST(FldListPrint, WritesTheDocumentedLines) {
  List l(sample());
  qx_FldList_appChar(l, u"NOTEXT", nullptr);
  qx_FldList_appUnknown(l, u"U");
  qx_FldList_appReal(l, u"ÜBER", 0.5);
  EXPECT_EQ(printed(l, 0),
            "NAME             C:Pipe\n"
            "SIZE             I:3\n"
            "KEY              H:AB\n"
            "LEN              L:7\n"
            "AT               P:1.000 2.000 3.000\n"
            "DIR              O:0.000 0.000 1.000\n"
            "SUB              \n"
            "                 N:2.500000\n"
            "NOTEXT           U                <undefined>\n"
            "ÜBER             N:0.500000\n");
  std::string blanks20(20, ' ');
  List one(qx_FldList_create(u"SIZE", 'I', 3, nullptr));
  EXPECT_EQ(printed(one, 2), blanks20 + "I:3\n");
  EXPECT_EQ(printed(nullptr, 0), "");
}

class FldListPrintDiag : public qxtest::DiagReset {
 protected:
  static std::string printed(qx_FldList* list, int level, int diag_level, int mask) {
    ::testing::internal::CaptureStdout();
    qx_FldList_printLevelListDiag(list, level, diag_level, mask);
    return ::testing::internal::GetCapturedStdout();
  }
};

TEST_F(FldListPrintDiag, WritesLinesOnlyWhenLevelAndMaskLetThemThrough) {
  List l(qx_FldList_create(u"SIZE", 'I', 3, u"NOTEXT", 'C', nullptr, nullptr));
  qx_FldList_appList(l, u"SUB", qx_FldList_create(u"X", 'N', 1.0, nullptr));
  qx_Diag_setLevel(2);
  qx_Diag_setCondition(QX_DIAG_POINT);
  EXPECT_EQ(printed(l, 0, 3, QX_DIAG_POINT), "");
  EXPECT_EQ(printed(l, 0, 2, QX_DIAG_VECTOR), "");
  std::string out = printed(l, 0, 2, QX_DIAG_POINT | QX_DIAG_VECTOR);
  std::string sub = std::string("SUB") + std::string(14, ' ');
  EXPECT_NE(out.find("SIZE             I:3\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("NOTEXT"), std::string::npos) << out;
  EXPECT_NE(out.find(sub + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find(std::string(17, ' ') + "N:1.000000\n"), std::string::npos) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
  u16string long_name(300, u'N');
  List big(qx_FldList_create(long_name.c_str(), 'I', 1, nullptr));
  std::string cut = printed(big, 0, 2, QX_DIAG_POINT);
  EXPECT_NE(cut.find(std::string(259, 'N') + "\n"), std::string::npos) << cut;
  EXPECT_EQ(cut.find(std::string(260, 'N')), std::string::npos);
}

}  // namespace
