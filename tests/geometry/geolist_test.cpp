// Point, vector and travel lists: owned copies, the closest-element and
// last-match rules, replacement and deletion, and the value registry.
#include <gtest/gtest.h>

#include <string>

#include "qx/geolist.h"

namespace {

void ExpectPoint(const qx_Point* p, double x, double y, double z) {
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->x, x);
  EXPECT_EQ(p->y, y);
  EXPECT_EQ(p->z, z);
}

TEST(PointList, HoldsCopiesButGetNthGivesTheStoredRecord) {
  qx_Point a{1, 0, 0}, b{2, 0, 0};
  qx_PointList* list = qx_PointList_create(&a, &b, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(qx_PointList_length(list), 2);
  ExpectPoint(qx_PointList_getCurr(list), 1, 0, 0);  // cursor on the first
  a.x = 99;
  ExpectPoint(qx_PointList_getNth(list, 0), 1, 0, 0);
  qx_Point* stored = qx_PointList_getNth(list, 1);
  stored->y = 5;
  ExpectPoint(qx_PointList_getNth(list, 1), 2, 5, 0);
  EXPECT_EQ(qx_PointList_getNth(list, 2), nullptr);
  EXPECT_EQ(qx_PointList_eol(list), 1);
  EXPECT_EQ(qx_PointList_getCurrCopy(list), nullptr);

  ASSERT_EQ(qx_PointList_start(list), 1);
  qx_Point* copy = qx_PointList_getCurrCopy(list);
  ExpectPoint(copy, 1, 0, 0);
  copy->x = -1;
  ExpectPoint(qx_PointList_getCurr(list), 1, 0, 0);
  qx_PointList_next(list);
  EXPECT_EQ(qx_PointList_getCurrCopy(list), copy) << "one library buffer, overwritten";
  ExpectPoint(copy, 2, 5, 0);
  qx_PointList_destroy(list);

  qx_PointList* empty = qx_PointList_create(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(qx_PointList_length(empty), 0);
  qx_PointList_destroy(empty);
}

TEST(PointList, InsertionsFollowTheLinkedListCursorRules) {
  qx_Point p0{0, 0, 0}, p1{1, 1, 1}, p2{2, 2, 2}, p3{3, 3, 3}, p4{4, 4, 4};
  qx_PointList* list = qx_PointList_create(nullptr);
  qx_PointList_insEnd(list, &p2);
  qx_PointList_insStart(list, &p0);
  // Cursor off the list: before inserts at the front, after at the back.
  qx_PointList_insBefore(list, &p1);
  ExpectPoint(qx_PointList_getCurr(list), 0, 0, 0);
  ASSERT_EQ(qx_PointList_insNth(list, 3, &p4), 1);  // past the end: appended
  ASSERT_EQ(qx_PointList_insNth(list, 3, &p3), 1);
  EXPECT_EQ(qx_PointList_insNth(list, 0, nullptr), 0);
  qx_PointList_insEnd(list, nullptr);
  qx_PointList_insEnd(nullptr, &p0);
  const double order[] = {1, 0, 2, 3, 4};
  ASSERT_EQ(qx_PointList_length(list), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(qx_PointList_getNth(list, i)->x, order[i]) << i;
  qx_PointList_destroy(list);
}

TEST(PointList, ModifyAndDeleteReleaseTheOldCopies) {
  qx_Point a{1, 0, 0}, b{2, 0, 0}, c{3, 0, 0}, n{9, 9, 9};
  qx_PointList* list = qx_PointList_create(&a, &b, &c, nullptr);
  ASSERT_EQ(qx_PointList_modCurr(list, &n), 1);
  ExpectPoint(qx_PointList_getNth(list, 0), 9, 9, 9);
  ASSERT_EQ(qx_PointList_modNth(list, 2, &a), 1);
  ExpectPoint(qx_PointList_getCurr(list), 1, 0, 0);
  EXPECT_EQ(qx_PointList_modNth(list, 3, &a), 0);
  EXPECT_EQ(qx_PointList_modCurr(list, &a), 0) << "cursor off the list";
  EXPECT_EQ(qx_PointList_modNth(list, 0, nullptr), 0);

  ASSERT_EQ(qx_PointList_delNth(list, 1), 1);
  ExpectPoint(qx_PointList_getCurr(list), 1, 0, 0);
  ASSERT_EQ(qx_PointList_delCurr(list), 1);
  SCOPED_TRACE("the previous when the last went");
  ExpectPoint(qx_PointList_getCurr(list), 9, 9, 9);
  EXPECT_EQ(qx_PointList_length(list), 1);
  ASSERT_EQ(qx_PointList_delAll(list), 1);
  EXPECT_EQ(qx_PointList_length(list), 0);
  EXPECT_EQ(qx_PointList_delCurr(list), 0);
  qx_PointList_destroy(list);
  EXPECT_EQ(qx_PointList_destroy(nullptr), 0);
}

TEST(PointList, CopyIsDeep) {
  qx_Point a{1, 2, 3}, b{4, 5, 6};
  qx_PointList* list = qx_PointList_create(&a, &b, nullptr);
  qx_PointList* copy = qx_PointList_copy(list);
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(qx_PointList_length(copy), 2);
  qx_PointList_getNth(list, 0)->x = 100;
  ExpectPoint(qx_PointList_getNth(copy, 0), 1, 2, 3);
  ExpectPoint(qx_PointList_getNth(copy, 1), 4, 5, 6);
  qx_PointList_destroy(list);
  qx_PointList_destroy(copy);
  qx_PointList* from_null = qx_PointList_copy(nullptr);
  ASSERT_NE(from_null, nullptr);
  EXPECT_EQ(qx_PointList_length(from_null), 0);
  qx_PointList_destroy(from_null);
}

TEST(PointList, SearchReturnsTheLastMatch) {
  qx_Point p{1, 1, 1}, q{2, 2, 2}, near_p{1, 1, 1.5};
  qx_PointList* list = qx_PointList_create(&q, &p, &q, &near_p, &q, nullptr);
  EXPECT_EQ(qx_PointList_search(list, &p, 0.6), 3);
  EXPECT_EQ(qx_PointList_search(list, &p, 1e-5), 1);
  EXPECT_EQ(qx_PointList_search(list, &p, 0.5), 1) << "strict tolerance";
  qx_Point absent{7, 7, 7};
  EXPECT_EQ(qx_PointList_search(list, &absent, 1e-3), -1);
  EXPECT_EQ(qx_PointList_search(nullptr, &p, 1), -1);
  qx_PointList_destroy(list);
}

TEST(PointList, ClosestTakesTheEarliestOfEqualDistances) {
  qx_Point a{-1, 0, 0}, b{1, 0, 0}, c{0, 3, 0}, o{0, 0, 0}, out{9, 9, 9};
  qx_PointList* list = qx_PointList_create(&c, &a, &b, nullptr);
  EXPECT_EQ(qx_PointList_getClosestPoint(&out, &o, list), 1);
  ExpectPoint(&out, -1, 0, 0);
  qx_Point right{0.9, 0, 0};
  EXPECT_EQ(qx_PointList_getClosestPoint(&out, &right, list), 2);
  ExpectPoint(&out, 1, 0, 0);
  qx_Point far{0, 100, 0};
  EXPECT_EQ(qx_PointList_getClosestPoint(&out, &far, list), 0) << "the first element counts too";

  qx_PointList* empty = qx_PointList_create(nullptr);
  out = {9, 9, 9};
  EXPECT_EQ(qx_PointList_getClosestPoint(&out, &o, empty), -1);
  EXPECT_EQ(qx_PointList_getClosestPoint(nullptr, &o, list), -1);
  EXPECT_EQ(qx_PointList_getClosestPoint(&out, nullptr, list), -1);
  ExpectPoint(&out, 9, 9, 9);
  qx_PointList_destroy(list);
  qx_PointList_destroy(empty);
}

TEST(VectorList, SameOperationsWithVectorRecords) {
  qx_Vector u{1, 0, 0}, v{0, 1, 0}, w{0, 0, 1}, out;
  qx_VectorList* list = qx_VectorList_create(&u, &v, nullptr);
  qx_VectorList_insAfter(list, &w);
  ASSERT_EQ(qx_VectorList_length(list), 3);
  ExpectPoint(qx_VectorList_getNth(list, 1), 0, 0, 1);
  qx_Vector probe{0.1, 0.9, 0};
  EXPECT_EQ(qx_VectorList_getClosestVector(&out, &probe, list), 2);
  ExpectPoint(&out, 0, 1, 0);
  qx_VectorList* copy = qx_VectorList_copy(list);
  ASSERT_EQ(qx_VectorList_end(copy), 1);
  ExpectPoint(qx_VectorList_getCurrCopy(copy), 0, 1, 0);
  ASSERT_EQ(qx_VectorList_prev(copy), 1);
  ExpectPoint(qx_VectorList_getCurr(copy), 0, 0, 1);
  EXPECT_EQ(qx_VectorList_skip(copy, -5), 0);
  EXPECT_EQ(qx_VectorList_eol(copy), 1);
  ASSERT_EQ(qx_VectorList_delNth(list, 0), 1);
  ASSERT_EQ(qx_VectorList_modNth(list, 0, &u), 1);
  ExpectPoint(qx_VectorList_getNth(list, 0), 1, 0, 0);
  EXPECT_EQ(qx_VectorList_delAll(list), 1);
  EXPECT_EQ(qx_VectorList_destroy(list), 1);
  EXPECT_EQ(qx_VectorList_destroy(copy), 1);
}

TEST(TravelList, NodesCarryPointLabelAndValue) {
  qx_Point p{1, 2, 3};
  EXPECT_EQ(qx_PointTravelNode_create(nullptr, u"x", nullptr, 1), nullptr);
  qx_PointTravelNode* n1 = qx_PointTravelNode_create(&p, u"first", nullptr, 7);
  ASSERT_NE(n1, nullptr);
  p.x = 50;
  std::u16string long_label(600, u'a');
  qx_PointTravelNode* n2 = qx_PointTravelNode_create(&p, long_label.c_str(), nullptr, -1);
  ASSERT_NE(n2, nullptr);
  EXPECT_EQ(std::u16string(n2->label).size(), 513u) << "cut to the node's room";
  qx_PointTravelNode* n3 = qx_PointTravelNode_create(&p, nullptr, nullptr, 0);
  ASSERT_NE(n3, nullptr);
  EXPECT_EQ(n3->label[0], u'\0');

  qx_PointTravelList* list = qx_PointTravelList_create();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(qx_PointTravelList_getCurr(list), nullptr);
  ASSERT_EQ(qx_PointTravelList_insEnd(list, n1), 1);
  ASSERT_EQ(qx_PointTravelList_insEnd(list, n2), 1);
  ASSERT_EQ(qx_PointTravelList_insEnd(list, n3), 1);
  ASSERT_EQ(qx_PointTravelList_start(list), 1);
  qx_PointTravelNode* cur = qx_PointTravelList_getCurr(list);
  ExpectPoint(&cur->point, 1, 2, 3);
  EXPECT_EQ(std::u16string(cur->label), u"first");
  EXPECT_EQ(cur->value, 7);
  ASSERT_EQ(qx_PointTravelList_next(list), 1);
  EXPECT_EQ(qx_PointTravelList_getCurr(list)->point.x, 50);
  ASSERT_EQ(qx_PointTravelList_end(list), 1);
  EXPECT_EQ(qx_PointTravelList_getCurr(list), n3);
  ASSERT_EQ(qx_PointTravelList_prev(list), 1);
  EXPECT_EQ(qx_PointTravelList_eol(list), 0);
  EXPECT_EQ(qx_PointTravelList_destroy(list), 1);  // releases the nodes
  qx_PointTravelNode_destroy(nullptr);
}

// The registry is process-wide: this is its only test, and it reads the
// numbers relative to the first one it gets.
TEST(TravelRegistry, FiftySlotsRoundRobin) {
  int32_t first = qx_PointTravelList_add(1000);
  EXPECT_EQ(qx_PointTravelList_get(first), 1000);
  for (int i = 1; i < 50; ++i) EXPECT_EQ(qx_PointTravelList_add(1000 + i), first + i);
  EXPECT_EQ(qx_PointTravelList_get(first), 1000);
  EXPECT_EQ(qx_PointTravelList_get(first + 49), 1049);
  EXPECT_EQ(qx_PointTravelList_add(2000), first + 50);
  EXPECT_EQ(qx_PointTravelList_get(first), 0) << "its slot was reused";
  EXPECT_EQ(qx_PointTravelList_get(first + 1), 1001);
  EXPECT_EQ(qx_PointTravelList_get(first + 50), 2000);
  EXPECT_EQ(qx_PointTravelList_get(first + 51), 0);
}

}  // namespace
