// Automation value conversion: table field lists through the field-list
// collection and back, variable lists into field lists, and what the
// conversions do with missing lists, objects of the wrong kind and
// collections that fail part way.
#include <gtest/gtest.h>

#include <string>

#include "app/collections.h"
#include "port/com_object.h"
#include "qx/convert.h"
#include "qx/dbfldlist.h"
#include "qx/fldlist.h"
#include "table/table_test.h"
#include "test_support.h"

namespace {

namespace app = qx::app;
using qx::ComPtr;
using qxtest::u8;
using qxtest::DbListPtr;
using qxtest::FldListPtr;


template <typename T>
ComPtr<T> make(REFCLSID clsid, REFIID iid) {
  app::register_collections();
  CoInitialize(nullptr);  // creation needs COM on the thread; the objects outlive it
  ComPtr<T> object;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, reinterpret_cast<void**>(object.out())),
            S_OK);
  CoUninitialize();
  return object;
}

ComPtr<app::IVariableList> new_variables() {
  return make<app::IVariableList>(app::CLSID_VariableList, app::IID_IVariableList);
}

// A reference for a call that takes one over.
qx_VariableList* handed(const ComPtr<app::IVariableList>& list) {
  list->AddRef();
  return reinterpret_cast<qx_VariableList*>(list.get());
}

void add_variable(app::IVariableList* list, const std::u16string& name, VARIANT value) {
  qx::port::Bstr n(name), key(u"k");
  BSTR name_slot = n.get(), key_slot = key.get();
  ASSERT_EQ(list->Add(&name_slot, &value, &key_slot, nullptr), S_OK);
}

VARIANT variant(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}

std::u16string text_of(app::IQVFld* field, HRESULT (app::IQVFld::*reader)(BSTR*)) {
  qx::port::Bstr b;
  EXPECT_EQ((field->*reader)(b.out()), S_OK);
  return b.str();
}

// A table field list with every type letter, a node without a value, and
// texts at and beyond the lengths the conversion keeps.
DbListPtr every_kind_of_field() {
  DbListPtr list(qx_LnkList_create(nullptr));
  qx_DbFldList_insEnd(list.get(), u"NAME", u"Pipe 100", 20, 0, u'C');
  qx_DbFldList_insEnd(list.get(), u"QTY", u"12.50", 8, 2, u'N');
  qx_DbFldList_insEnd(list.get(), u"RATIO", u"0.125", 10, 3, u'F');
  qx_DbFldList_insEnd(list.get(), u"MADE", u"20240229", 8, 0, u'D');
  qx_DbFldList_insEnd(list.get(), u"OK", u"T", 1, 0, u'L');
  qx_DbFldList_insEnd(list.get(), u"NOTES", std::u16string(512, u'x').c_str(), 10, 0, u'M');
  qx_DbFldList_insEnd(list.get(), u"EMPTY", nullptr, 5, 0, u'C');
  qx_DbFldList_insEnd(list.get(), std::u16string(63, u'A').c_str(), u"", 1, 0, u'C');
  return list;
}

TEST(AutomationConversion, TableFieldListSurvivesTheCollectionBothWays) {
  DbListPtr original = every_kind_of_field();
  qx_QVFldList* collection = nullptr;
  qx_ConvertDBFldListToQVFldList(original.get(), &collection);
  ASSERT_NE(collection, nullptr);

  // The field objects describe the nodes; a node without a value sets NoValue only.
  auto* typed = reinterpret_cast<app::IQVFldList*>(collection);
  int16_t count = 0;
  ASSERT_EQ(typed->get_Count(&count), S_OK);
  EXPECT_EQ(count, 8);
  ComPtr<app::IQVFld> qty, empty;
  VARIANT index = variant(VT_INT);
  index.lVal = 2;
  ASSERT_EQ(typed->get_Item(index, qty.out()), S_OK);
  EXPECT_EQ(text_of(qty.get(), &app::IQVFld::get_Type), u"N");
  int32_t decimals = 0;
  qty->get_Decimals(&decimals);
  EXPECT_EQ(decimals, 2);
  index.lVal = 7;
  ASSERT_EQ(typed->get_Item(index, empty.out()), S_OK);
  int16_t no_value = 0;
  empty->get_NoValue(&no_value);
  EXPECT_EQ(no_value, 1);
  qx::port::Bstr value;
  empty->get_Value(value.out());
  EXPECT_EQ(value.get(), nullptr) << "no value written";

  qx_DbFldList* back_raw = nullptr;
  qx_ConvertQVFldListToDBFldList(collection, &back_raw);  // takes the reference over
  DbListPtr back(back_raw);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->count, original->count);
  for (qx_LnkListNode *a = original->first, *b = back->first; a && b; a = a->next, b = b->next) {
    auto* x = static_cast<qx_DbFldNode*>(a->data);
    auto* y = static_cast<qx_DbFldNode*>(b->data);
    SCOPED_TRACE(u8(x->name));
    EXPECT_EQ(std::u16string(x->name), std::u16string(y->name));
    EXPECT_EQ(x->type, y->type);
    EXPECT_EQ(x->width, y->width);
    EXPECT_EQ(x->decimals, y->decimals);
    ASSERT_EQ(x->value == nullptr, y->value == nullptr);
    if (x->value) {
      EXPECT_EQ(std::u16string(x->value), std::u16string(y->value));
    }
  }
}

TEST(AutomationConversion, CollectionTextsAreCutAndAMissingTypeIsText) {
  auto collection = make<app::IQVFldList>(app::CLSID_QVFldList, app::IID_IQVFldList);
  auto field = make<app::IQVFld>(app::CLSID_QVFld, app::IID_IQVFld);
  field->put_Name(qx::port::Bstr(std::u16string(100, u'N')).get());
  field->put_Value(qx::port::Bstr(std::u16string(700, u'v')).get());
  ASSERT_EQ(collection->Add(field.get(), nullptr), S_OK);
  qx_DbFldList* raw = nullptr;
  qx_ConvertQVFldListToDBFldList(reinterpret_cast<qx_QVFldList*>(collection.detach()), &raw);
  DbListPtr list(raw);
  ASSERT_EQ(list->count, 1);
  auto* node = static_cast<qx_DbFldNode*>(list->first->data);
  EXPECT_EQ(std::u16string(node->name), std::u16string(63, u'N'));
  EXPECT_EQ(std::u16string(node->value), std::u16string(512, u'v'));
  EXPECT_EQ(node->type, u'C');
}

TEST(AutomationConversion, MissingListsAndHeldCollections) {
  // A null table field list gives an empty collection, replacing (and
  // releasing) the one the caller held.
  qx_QVFldList* collection = nullptr;
  qx_ConvertDBFldListToQVFldList(nullptr, &collection);
  ASSERT_NE(collection, nullptr);
  auto* first = reinterpret_cast<app::IQVFldList*>(collection);
  first->AddRef();
  qx_ConvertDBFldListToQVFldList(nullptr, &collection);
  EXPECT_NE(reinterpret_cast<app::IQVFldList*>(collection), first);
  EXPECT_EQ(first->Release(), 0u) << "the held collection was released once";

  qx_DbFldList* raw = reinterpret_cast<qx_DbFldList*>(&collection);  // anything but null
  qx_ConvertQVFldListToDBFldList(nullptr, &raw);
  EXPECT_EQ(raw, nullptr);
  qx_ConvertQVFldListToDBFldList(collection, &raw);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->count, 0);
  qx_DbFldList_destroy(raw);
}

// A collection that fails when its third field is asked for.
class FailingCollection final : public qx::port::ComObject<app::IQVFldList> {
 public:
  FailingCollection() : ComObject(app::IID_IQVFldList) {}
  HRESULT Add(app::IQVFld*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT get_Count(int16_t* count) override {
    *count = 5;
    return S_OK;
  }
  HRESULT get_Item(VARIANT index, app::IQVFld** out) override {
    if (index.vt != VT_INT || index.lVal >= 3) return DISP_E_BADINDEX;
    auto* field = make<app::IQVFld>(app::CLSID_QVFld, app::IID_IQVFld).detach();
    field->put_Name(qx::port::Bstr(u"F").get());
    *out = field;
    return S_OK;
  }
};

TEST(AutomationConversion, AFailingCollectionStopsAtTheFailingCall) {
  qx_DbFldList* raw = nullptr;
  qx_ConvertQVFldListToDBFldList(reinterpret_cast<qx_QVFldList*>(new FailingCollection), &raw);
  DbListPtr list(raw);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 2);
}

TEST(VariableConversion, EveryVariantTypeByTheTable) {
  auto variables = new_variables();
  VARIANT v = variant(VT_BOOL);
  v.boolVal = VARIANT_TRUE;
  add_variable(variables.get(), u"flag", v);
  v = variant(VT_I2);
  v.iVal = -5;
  add_variable(variables.get(), u"small", v);
  v = variant(VT_R4);
  v.fltVal = 1.5f;
  add_variable(variables.get(), u"half", v);
  v = variant(VT_I4);
  v.lVal = -70000;
  add_variable(variables.get(), u"big", v);
  v = variant(VT_R8);
  v.dblVal = 2.25;
  add_variable(variables.get(), u"real", v);
  v = variant(VT_UI1);
  v.bVal = 200;
  add_variable(variables.get(), u"byte", v);
  add_variable(variables.get(), u"nothing", variant(VT_EMPTY));
  add_variable(variables.get(), u"null", variant(VT_NULL));
  v = variant(VT_DATE);
  v.date = 45000;
  add_variable(variables.get(), u"when", v);
  v = variant(VT_BSTR);
  std::u16string long_text(400, u't');
  v.bstrVal = SysAllocString(long_text.c_str());
  add_variable(variables.get(), std::u16string(200, u'n'), v);
  add_variable(variables.get(), u"", v);  // no name: skipped
  VariantClear(&v);

  FldListPtr existing(qx_FldList_create(nullptr));
  qx_FldList_appInt(existing.get(), u"FIRST", 9);
  qx_FldList* out = existing.get();
  testing::internal::CaptureStdout();
  qx_ConvertVarListToFldList(handed(variables), &out);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nUnhandled Variable Type in COM FldList: 7");
  ASSERT_EQ(out, existing.get()) << "an existing list is appended to";

  EXPECT_EQ(qx_FldList_count(out), 10);
  int32_t i = 0;
  EXPECT_EQ(qx_FldList_find(out, u"FLAG")->type, QX_FLD_INT);
  qx_FldList_getInt(out, u"FLAG", &i);
  EXPECT_EQ(i, 1);
  qx_FldList_getInt(out, u"SMALL", &i);
  EXPECT_EQ(i, -5);
  EXPECT_EQ(qx_FldList_find(out, u"HALF")->type, QX_FLD_REAL);
  EXPECT_EQ(qx_FldList_find(out, u"HALF")->value.real, 1.5);
  EXPECT_EQ(qx_FldList_find(out, u"BIG")->type, QX_FLD_LONG);
  EXPECT_EQ(qx_FldList_find(out, u"BIG")->value.integer, -70000);
  EXPECT_EQ(qx_FldList_find(out, u"REAL")->value.real, 2.25);
  EXPECT_EQ(qx_FldList_find(out, u"BYTE")->value.integer, 200);
  EXPECT_EQ(qx_FldList_find(out, u"NOTHING")->type, QX_FLD_UNKNOWN);
  EXPECT_EQ(qx_FldList_find(out, u"NULL")->type, QX_FLD_UNKNOWN);
  EXPECT_EQ(qx_FldList_find(out, u"WHEN"), nullptr);
  qx_FldNode* text = qx_FldList_find(out, std::u16string(128, u'N').c_str());
  ASSERT_NE(text, nullptr) << "names cut to 128 characters";
  EXPECT_EQ(std::u16string(text->name), std::u16string(128, u'N'));
  EXPECT_EQ(std::u16string(text->value.text), long_text.substr(0, 300));
}

TEST(VariableConversion, EmptyMissingAndWrongLists) {
  qx_FldList* out = nullptr;
  qx_ConvertVarListToFldList(handed(new_variables()), &out);
  EXPECT_EQ(out, nullptr) << "no list made when there are no variables";
  qx_ConvertVarListToFldList(nullptr, &out);
  EXPECT_EQ(out, nullptr);

  // A field-list collection is not a variable list: nothing is done, the
  // reference is still released, and nothing is raised to the caller.
  auto wrong = make<app::IQVFldList>(app::CLSID_QVFldList, app::IID_IQVFldList);
  auto* as_variables = reinterpret_cast<qx_VariableList*>(wrong.get());
  wrong->AddRef();
  qx_ConvertVarListToFldList(as_variables, &out);
  EXPECT_EQ(out, nullptr);
  wrong->AddRef();
  EXPECT_EQ(qx_VarsList_InsertAtEnd(as_variables, u"A", u"1"), 0);
  wrong->AddRef();
  EXPECT_EQ(qx_VarsList_Reset(as_variables), 1);
  EXPECT_EQ(wrong->AddRef(), 2u) << "every call released the reference it took over";
  wrong->Release();
}

TEST(VariableList, InsertAtEndKeysByCountAndResetEmpties) {
  auto variables = new_variables();
  EXPECT_EQ(qx_VarsList_InsertAtEnd(handed(variables), u"PIPE", u"100"), 1);
  EXPECT_EQ(qx_VarsList_InsertAtEnd(handed(variables), u"BEND", u"90"), 1);
  EXPECT_EQ(qx_VarsList_InsertAtEnd(handed(variables), u"TEE", u"3"), 1);
  EXPECT_EQ(qx_VarsList_InsertAtEnd(handed(variables), nullptr, u"x"), 0);
  EXPECT_EQ(qx_VarsList_InsertAtEnd(handed(variables), u"X", nullptr), 0);
  EXPECT_EQ(qx_VarsList_InsertAtEnd(nullptr, u"X", u"x"), 0);

  int32_t count = 0;
  variables->get_Count(&count);
  ASSERT_EQ(count, 3);
  ComPtr<IDispatch> third;
  VARIANT index = variant(VT_I4);
  index.lVal = 3;
  ASSERT_EQ(variables->Item(index, third.out()), S_OK);
  ComPtr<app::IVariable> variable;
  third->QueryInterface(app::IID_IVariable, reinterpret_cast<void**>(variable.out()));
  qx::port::Bstr key;
  variable->get_Key(key.out());
  EXPECT_EQ(key.str(), u"3");

  // The inserted values come back as text through the field-list conversion.
  qx_FldList* out = nullptr;
  qx_ConvertVarListToFldList(handed(variables), &out);
  FldListPtr fields(out);
  qx_wchar buffer[16] = {};
  qx_FldList_getChar(out, u"BEND", buffer, 16);
  EXPECT_EQ(std::u16string(buffer), u"90");

  EXPECT_EQ(qx_VarsList_Reset(handed(variables)), 1);
  variables->get_Count(&count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(qx_VarsList_Reset(nullptr), 1);
}

}  // namespace
