// N-tuples and general matrices: creation of non-square identities, range
// checks, the a - b subtraction, in-place multiply and transpose, and the
// printed forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "qx/matrix.h"

namespace {

// Prints through a temporary stream and returns the text.
template <typename Fn>
std::string Printed(Fn print) {
  std::FILE* f = std::tmpfile();
  print(f);
  std::fflush(f);
  std::rewind(f);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  std::fclose(f);
  return text;
}

qx_Ntuple* Tuple(std::initializer_list<double> values) {
  qx_Ntuple* t = qx_Ntuple_create(static_cast<int>(values.size()));
  int i = 0;
  for (double v : values) qx_Ntuple_setElement(t, i++, v);
  return t;
}

qx_Matrix* Rows(int rows, int cols, std::initializer_list<double> values) {
  qx_Matrix* m = qx_Matrix_create(rows, cols);
  int k = 0;
  for (double v : values) {
    qx_Matrix_setElement(m, k / cols, k % cols, v);
    ++k;
  }
  return m;
}

double At(const qx_Matrix* m, int r, int c) {
  double v = -999;
  EXPECT_EQ(qx_Matrix_getElement(&v, m, r, c), 1) << r << "," << c;
  return v;
}

void ExpectRows(const qx_Matrix* m, int rows, int cols, std::initializer_list<double> values) {
  int r = -1, c = -1;
  ASSERT_EQ(qx_Matrix_numberRows(&r, m), 1);
  ASSERT_EQ(qx_Matrix_numberColumns(&c, m), 1);
  ASSERT_EQ(r, rows);
  ASSERT_EQ(c, cols);
  int k = 0;
  for (double v : values) {
    EXPECT_DOUBLE_EQ(At(m, k / cols, k % cols), v) << "element " << k / cols << "," << k % cols;
    ++k;
  }
}

TEST(NtupleBasics, CreateRangeAndCounts) {
  qx_Ntuple* t = qx_Ntuple_create(3);
  ASSERT_NE(t, nullptr);
  double v = -1;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(qx_Ntuple_getElement(&v, t, i), 1);
    EXPECT_EQ(v, 0.0);
  }
  EXPECT_EQ(qx_Ntuple_setElement(t, 3, 1.0), 0);
  EXPECT_EQ(qx_Ntuple_setElement(t, -1, 1.0), 0);
  EXPECT_EQ(qx_Ntuple_getElement(&v, t, 3), 0);
  EXPECT_EQ(qx_Ntuple_create(-1), nullptr);
  qx_Ntuple_destroy(t);
  qx_Ntuple_destroy(nullptr);

  qx_Ntuple* empty = qx_Ntuple_create(0);
  ASSERT_NE(empty, nullptr);
  v = 5;
  EXPECT_EQ(qx_Ntuple_dotProduct(&v, empty, empty), 1);
  EXPECT_EQ(v, 0.0);
  qx_Ntuple_destroy(empty);
}

TEST(NtupleBasics, SubtractIsFirstMinusSecond) {
  qx_Ntuple* a = Tuple({5, 5});
  qx_Ntuple* b = Tuple({1, 2});
  qx_Ntuple* out = qx_Ntuple_create(2);
  ASSERT_EQ(qx_Ntuple_subtract(out, a, b), 1);
  EXPECT_EQ(out->elements[0], 4);
  EXPECT_EQ(out->elements[1], 3);
  ASSERT_EQ(qx_Ntuple_add(a, a, b), 1);  // in place
  EXPECT_EQ(a->elements[0], 6);
  EXPECT_EQ(a->elements[1], 7);
  qx_Ntuple* three = qx_Ntuple_create(3);
  EXPECT_EQ(qx_Ntuple_add(three, a, b), 0);
  EXPECT_EQ(qx_Ntuple_subtract(out, a, three), 0);
  qx_Ntuple_destroy(a);
  qx_Ntuple_destroy(b);
  qx_Ntuple_destroy(out);
  qx_Ntuple_destroy(three);
}

TEST(NtupleBasics, CopyNeedsEqualCountsAndChangesNothingOtherwise) {
  qx_Ntuple* three = Tuple({1, 2, 3});
  qx_Ntuple* four = Tuple({9, 9, 9, 9});
  EXPECT_EQ(qx_Ntuple_copy(four, three), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(four->elements[i], 9);
  double d;
  EXPECT_EQ(qx_Ntuple_dotProduct(&d, three, four), 0);
  qx_Ntuple* other = qx_Ntuple_create(3);
  ASSERT_EQ(qx_Ntuple_copy(other, three), 1);
  ASSERT_EQ(qx_Ntuple_scale(other, 2), 1);
  ASSERT_EQ(qx_Ntuple_dotProduct(&d, three, other), 1);
  EXPECT_EQ(d, 28);
  qx_Ntuple_destroy(three);
  qx_Ntuple_destroy(four);
  qx_Ntuple_destroy(other);
}

TEST(NtupleBasics, VectorRoundTrip) {
  qx_Vector v{1, -2, 3.5};
  qx_Ntuple* t = qx_Ntuple_fromVector(&v);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->n, 3);
  qx_Vector back{};
  ASSERT_EQ(qx_Vector_fromNtuple(&back, t), 1);
  EXPECT_EQ(back.x, 1);
  EXPECT_EQ(back.y, -2);
  EXPECT_EQ(back.z, 3.5);
  qx_Ntuple_destroy(t);
  EXPECT_EQ(qx_Ntuple_fromVector(nullptr), nullptr);
  qx_Ntuple* two = Tuple({1, 2});
  back = {7, 7, 7};
  EXPECT_EQ(qx_Vector_fromNtuple(&back, two), 0);
  EXPECT_EQ(back.x, 7);
  qx_Ntuple_destroy(two);
}

TEST(NtuplePrint, ElementsSeparatedWithoutTrailingSeparator) {
  qx_Ntuple* t = Tuple({1, 2.5});
  EXPECT_EQ(Printed([&](std::FILE* f) { qx_Ntuple_print(t, f); }), "1.000000, 2.500000\n");
  qx_Ntuple* one = Tuple({-3});
  EXPECT_EQ(Printed([&](std::FILE* f) { qx_Ntuple_print(one, f); }), "-3.000000\n");
  qx_Ntuple_destroy(t);
  qx_Ntuple_destroy(one);
}

TEST(MatrixCreate, IdentityForAnyShape) {
  qx_Matrix* m = qx_Matrix_create(3, 3);
  ExpectRows(m, 3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  qx_Matrix_destroy(m);
  m = qx_Matrix_create(3, 1);
  ExpectRows(m, 3, 1, {1, 0, 0});
  qx_Matrix_destroy(m);
  m = qx_Matrix_create(2, 4);
  ExpectRows(m, 2, 4, {1, 0, 0, 0, 0, 1, 0, 0});
  qx_Matrix_destroy(m);
  m = qx_Matrix_create(4, 2);
  ExpectRows(m, 4, 2, {1, 0, 0, 1, 0, 0, 0, 0});
  qx_Matrix_destroy(m);
  EXPECT_EQ(qx_Matrix_create(-1, 2), nullptr);
  EXPECT_EQ(qx_Matrix_create(2, -1), nullptr);
  qx_Matrix_destroy(nullptr);
}

TEST(MatrixAccess, IndexesOutOfRangeFail) {
  qx_Matrix* m = qx_Matrix_create(2, 3);
  double v = 42;
  EXPECT_EQ(qx_Matrix_getElement(&v, m, 0, 3), 0) << "column equal to the number of columns";
  EXPECT_EQ(qx_Matrix_getElement(&v, m, 2, 0), 0);
  EXPECT_EQ(qx_Matrix_getElement(&v, m, -1, 0), 0);
  EXPECT_EQ(qx_Matrix_setElement(m, 0, -1, 1), 0);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(qx_Matrix_setElement(m, 1, 2, 7.5), 1);
  EXPECT_EQ(At(m, 1, 2), 7.5);

  qx_Ntuple* row = qx_Ntuple_create(3);
  qx_Ntuple* col = qx_Ntuple_create(2);
  EXPECT_EQ(qx_Matrix_getRow(row, m, 2), 0);
  EXPECT_EQ(qx_Matrix_getRow(col, m, 0), 0) << "n-tuple must have one element per column";
  EXPECT_EQ(qx_Matrix_getColumn(row, m, 0), 0) << "n-tuple must have one element per row";
  ASSERT_EQ(qx_Matrix_getRow(row, m, 1), 1);
  EXPECT_EQ(row->elements[0], 0);
  EXPECT_EQ(row->elements[1], 1);
  EXPECT_EQ(row->elements[2], 7.5);
  ASSERT_EQ(qx_Matrix_getColumn(col, m, 2), 1);
  EXPECT_EQ(col->elements[1], 7.5);
  EXPECT_EQ(qx_Matrix_setColumn(m, 0, row), 0);
  EXPECT_EQ(qx_Matrix_setRow(m, 2, row), 0);
  qx_Ntuple_destroy(row);
  qx_Ntuple_destroy(col);

  // setRow takes the first "columns" elements of a longer n-tuple.
  qx_Ntuple* longer = Tuple({1, 2, 3, 4});
  ASSERT_EQ(qx_Matrix_setRow(m, 0, longer), 1);
  ExpectRows(m, 2, 3, {1, 2, 3, 0, 1, 7.5});
  qx_Ntuple_destroy(longer);
  qx_Matrix_destroy(m);
}

TEST(MatrixAccess, BrokenHandMadeRecordsAreRefused) {
  qx_Matrix none{0, nullptr};
  int n = -1;
  double v;
  EXPECT_EQ(qx_Matrix_numberRows(&n, &none), 0);
  EXPECT_EQ(qx_Matrix_getElement(&v, &none, 0, 0), 0);
  qx_Ntuple* holes[2] = {nullptr, nullptr};
  qx_Matrix holey{2, holes};
  EXPECT_EQ(qx_Matrix_setElement(&holey, 0, 1, 1), 0);
  qx_Matrix* m = qx_Matrix_create(2, 2);
  EXPECT_EQ(qx_Matrix_copy(m, &holey), 0);
  EXPECT_EQ(qx_Matrix_multiply(m, m, &holey), 0);
  qx_Matrix_destroy(m);
}

TEST(MatrixArithmetic, MultiplyInPlaceAndIntoAnOperand) {
  qx_Matrix* m = Rows(2, 2, {1, 2, 3, 4});
  ASSERT_EQ(qx_Matrix_multiply(m, m, m), 1);
  ExpectRows(m, 2, 2, {7, 10, 15, 22});
  qx_Matrix_destroy(m);

  qx_Matrix* a = Rows(3, 3, {1, 2, 0, 0, 1, 0, 2, 0, 1});
  qx_Matrix* x = Rows(3, 1, {1, 1, 1});
  ASSERT_EQ(qx_Matrix_multiply(x, a, x), 1);
  ExpectRows(x, 3, 1, {3, 1, 3});
  // Size mismatches leave the destination alone.
  qx_Matrix* wrong = qx_Matrix_create(1, 3);
  EXPECT_EQ(qx_Matrix_multiply(wrong, a, x), 0);
  ExpectRows(wrong, 1, 3, {1, 0, 0});
  EXPECT_EQ(qx_Matrix_multiply(x, x, a), 0);
  ExpectRows(x, 3, 1, {3, 1, 3});
  qx_Matrix_destroy(a);
  qx_Matrix_destroy(x);
  qx_Matrix_destroy(wrong);

  qx_Matrix* r = Rows(2, 3, {1, 2, 3, 4, 5, 6});
  qx_Matrix* c = Rows(3, 2, {7, 8, 9, 10, 11, 12});
  qx_Matrix* p = qx_Matrix_create(2, 2);
  ASSERT_EQ(qx_Matrix_multiply(p, r, c), 1);
  ExpectRows(p, 2, 2, {58, 64, 139, 154});
  qx_Matrix_destroy(r);
  qx_Matrix_destroy(c);
  qx_Matrix_destroy(p);
}

TEST(MatrixArithmetic, TransposeInPlaceAndAcrossShapes) {
  qx_Matrix* m = Rows(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  ASSERT_EQ(qx_Matrix_transpose(m, m), 1);
  ExpectRows(m, 3, 3, {1, 4, 7, 2, 5, 8, 3, 6, 9});
  qx_Matrix_destroy(m);

  qx_Matrix* wide = Rows(2, 3, {1, 2, 3, 4, 5, 6});
  qx_Matrix* tall = qx_Matrix_create(3, 2);
  ASSERT_EQ(qx_Matrix_transpose(tall, wide), 1);
  ExpectRows(tall, 3, 2, {1, 4, 2, 5, 3, 6});
  EXPECT_EQ(qx_Matrix_transpose(wide, wide), 0);
  ExpectRows(wide, 2, 3, {1, 2, 3, 4, 5, 6});
  qx_Matrix_destroy(wide);
  qx_Matrix_destroy(tall);
}

TEST(MatrixArithmetic, AddSubtractScaleAndCopy) {
  qx_Matrix* a = Rows(2, 2, {5, 6, 7, 8});
  qx_Matrix* b = Rows(2, 2, {1, 2, 3, 4});
  qx_Matrix* out = qx_Matrix_create(2, 2);
  ASSERT_EQ(qx_Matrix_subtract(out, a, b), 1);
  ExpectRows(out, 2, 2, {4, 4, 4, 4});
  ASSERT_EQ(qx_Matrix_add(out, out, b), 1);
  ExpectRows(out, 2, 2, {5, 6, 7, 8});
  ASSERT_EQ(qx_Matrix_scale(out, b, -2), 1);
  ExpectRows(out, 2, 2, {-2, -4, -6, -8});
  ASSERT_EQ(qx_Matrix_copy(out, a), 1);
  ExpectRows(out, 2, 2, {5, 6, 7, 8});
  qx_Matrix* three = qx_Matrix_create(2, 3);
  EXPECT_EQ(qx_Matrix_add(out, a, three), 0);
  EXPECT_EQ(qx_Matrix_copy(three, a), 0);
  // Equal column numbers but different column lengths: copy stops at once.
  qx_Matrix* taller = qx_Matrix_create(3, 2);
  EXPECT_EQ(qx_Matrix_copy(taller, a), 0);
  ExpectRows(taller, 3, 2, {1, 0, 0, 1, 0, 0});
  for (qx_Matrix* m : {a, b, out, three, taller}) qx_Matrix_destroy(m);
}

TEST(MatrixPrint, RowsWithTrailingBlankThenEmptyLine) {
  qx_Matrix* m = qx_Matrix_create(2, 2);
  EXPECT_EQ(Printed([&](std::FILE* f) { qx_Matrix_print(m, f); }),
            "1.000000 0.000000 \n0.000000 1.000000 \n\n");
  qx_Matrix_destroy(m);
  m = Rows(1, 3, {-1.5, 1e6, 0.0000004});
  EXPECT_EQ(Printed([&](std::FILE* f) { qx_Matrix_print(m, f); }),
            "-1.500000 1000000.000000 0.000000 \n\n");
  qx_Matrix_destroy(m);
}

TEST(MatrixPrint, NullStreamMeansStandardOutput) {
  qx_Matrix* m = qx_Matrix_create(1, 1);
  qx_Ntuple* t = Tuple({2});
  ::testing::internal::CaptureStdout();
  qx_Matrix_print(m, nullptr);
  qx_Ntuple_print(t, nullptr);
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "1.000000 \n\n2.000000\n");
  qx_Matrix_destroy(m);
  qx_Ntuple_destroy(t);
}

}  // namespace
