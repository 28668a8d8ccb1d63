// The COM stand-in: strings, variants, apartments and class creation.
#include <gtest/gtest.h>

#include "port/com.h"
#include "port/com_object.h"
#include "test_support.h"

using qxtest::u8;

namespace {

TEST(Bstr, CarriesItsLengthAndMayHoldNuls) {
  BSTR s = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[3], 0) << "terminated after the counted text";
  SysFreeString(s);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
}

TEST(Variant, ChangeTypeBetweenTextAndNumbers) {
  VARIANT src, dst;
  VariantInit(&src);
  VariantInit(&dst);
  src.vt = VT_BSTR;
  src.bstrVal = SysAllocString(u" 42 ");
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), S_OK);
  EXPECT_EQ(dst.vt, VT_I4);
  EXPECT_EQ(dst.lVal, 42);
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_R8), S_OK);
  EXPECT_DOUBLE_EQ(dst.dblVal, 42.0);
  VariantClear(&src);

  src.vt = VT_R8;
  src.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&dst, &src, 0, VT_BSTR), S_OK);
  EXPECT_EQ(u8(dst.bstrVal), "2.5");
  VariantClear(&dst);

  src.vt = VT_BSTR;
  src.bstrVal = SysAllocString(u"abc");
  EXPECT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), DISP_E_TYPEMISMATCH);
  VariantClear(&src);

  src.vt = VT_R8;
  src.dblVal = 1e12;
  EXPECT_EQ(VariantChangeType(&dst, &src, 0, VT_I4), DISP_E_OVERFLOW);
}

TEST(Variant, CopyDuplicatesStrings) {
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_BSTR;
  a.bstrVal = SysAllocString(u"text");
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(a.bstrVal, b.bstrVal);
  VariantClear(&a);
  EXPECT_EQ(u8(b.bstrVal), "text");
  VariantClear(&b);
  EXPECT_EQ(b.vt, VT_EMPTY);
}

const IID kTestIid = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID kTestClsid = {0x11111112, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};

struct ITest : IDispatch {
  virtual int Value() = 0;
};

int g_live = 0;
class TestObject final : public qx::port::ComObject<ITest> {
 public:
  TestObject() : ComObject(kTestIid) { ++g_live; }
  ~TestObject() override { --g_live; }
  int Value() override { return 7; }
};

HRESULT make_test(REFIID iid, void** out) {
  auto* o = new TestObject;
  HRESULT hr = o->QueryInterface(iid, out);
  o->Release();
  return hr;
}

TEST(Apartment, CreationNeedsComOnTheThread) {
  CoRegisterClass(kTestClsid, make_test);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(kTestClsid, nullptr, CLSCTX_ALL, kTestIid, &p), CO_E_NOTINITIALIZED);
  EXPECT_EQ(p, nullptr);

  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "counted per thread";
  {
    qx::ComPtr<ITest> t;
    ASSERT_EQ(CoCreateInstance(kTestClsid, nullptr, CLSCTX_ALL, kTestIid,
                               reinterpret_cast<void**>(t.out())),
              S_OK);
    EXPECT_EQ(t->Value(), 7);
    EXPECT_EQ(g_live, 1);
    qx::ComPtr<ITest> copy = t;
    void* none = nullptr;
    EXPECT_EQ(t->QueryInterface(IID_IDispatch, &none), S_OK);
    static_cast<IUnknown*>(none)->Release();
    const IID other = {9, 9, 9, {9}};
    EXPECT_EQ(t->QueryInterface(other, &none), E_NOINTERFACE);
  }
  EXPECT_EQ(g_live, 0) << "released with the last reference";

  const CLSID unknown = {7, 7, 7, {7}};
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, kTestIid, &p), REGDB_E_CLASSNOTREG);
  CoUninitialize();
  EXPECT_TRUE(qx::port::com_initialized());
  CoUninitialize();
  EXPECT_FALSE(qx::port::com_initialized());
  CoRegisterClass(kTestClsid, nullptr);
}

}  // namespace
