// Automation value conversion: table field lists to and from the
// application's field-list collection, and a variable list to a field list.
//
// Calls on the collections go through small wrappers that raise a ComError
// on a failing status, so each sequence stops at the failing call; the
// exported functions catch it at the C boundary and keep what was made.
#include <cstdio>
#include <string>

#include "app/collections.h"
#include "port/com.h"
#include "port/wstr.h"
#include "qx/convert.h"
#include "qx/dbfldlist.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"

namespace {

namespace app = qx::app;
namespace port = qx::port;
using qx::ComPtr;

// Longest texts taken from the objects.
constexpr size_t kNameRoom = QX_DBFLD_NAME_LEN - 1;
constexpr size_t kValueRoom = 512;
constexpr size_t kVariableNameRoom = 128;
constexpr size_t kVariableTextRoom = 300;
// Any kind of server will do (CLSCTX_ALL with the remote-server bit).
constexpr uint32_t kAnyServer = 0x17;

void check(HRESULT hr, IUnknown* source) {
  if (FAILED(hr)) throw port::ComError(hr, source);
}

template <typename T>
T* must(const ComPtr<T>& p) {
  if (!p) throw port::ComError(E_POINTER, nullptr);
  return p.get();
}

// Makes an object of `clsid` as class creation does (IUnknown first, run,
// then the interface asked for); null when any step fails.
template <typename Interface>
ComPtr<Interface> create_object(REFCLSID clsid, REFIID iid) {
  app::register_collections();
  ComPtr<IUnknown> object;
  if (FAILED(CoCreateInstance(clsid, nullptr, kAnyServer, IID_IUnknown,
                              reinterpret_cast<void**>(object.out()))))
    return nullptr;
  if (FAILED(OleRun(object.get()))) return nullptr;
  ComPtr<Interface> typed;
  if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(typed.out())))) return nullptr;
  return typed;
}

// The interface behind `pointer`, or null when it does not answer (no error).
template <typename Interface>
ComPtr<Interface> query(IUnknown* pointer, REFIID iid) {
  ComPtr<Interface> typed;
  if (pointer) pointer->QueryInterface(iid, reinterpret_cast<void**>(typed.out()));
  return typed;
}

port::Bstr bstr_of(const std::u16string& text) {
  port::Bstr b(text);
  if (!b.get()) throw port::ComError(E_OUTOFMEMORY, nullptr);
  return b;
}

std::u16string cut(const port::Bstr& text, size_t room) { return text.str().substr(0, room); }

VARIANT integer_index(VARTYPE vt, int32_t position) {
  VARIANT index;
  VariantInit(&index);
  index.vt = vt;
  index.lVal = position;
  return index;
}

// One field object describing `node`.
ComPtr<app::IQVFld> field_object_of(const qx_DbFldNode& node) {
  auto field = create_object<app::IQVFld>(app::CLSID_QVFld, app::IID_IQVFld);
  if (!field) return nullptr;
  check(field->put_Width(node.width), field.get());
  check(field->put_Decimals(node.decimals), field.get());
  check(field->put_Type(bstr_of(std::u16string(1, node.type)).get()), field.get());
  check(field->put_Name(bstr_of(node.name).get()), field.get());
  if (!node.value)
    check(field->put_NoValue(1), field.get());
  else
    check(field->put_Value(bstr_of(node.value).get()), field.get());
  return field;
}

void fill_collection(app::IQVFldList* collection, qx_DbFldList* list) {
  if (!list) return;
  for (qx_LnkListNode* n = list->first; n; n = n->next) {
    auto field = field_object_of(*static_cast<qx_DbFldNode*>(n->data));
    if (!field) continue;
    VARIANT result;
    VariantInit(&result);
    check(collection->Add(field.get(), &result), collection);
    VariantClear(&result);
  }
}

void append_node_of(app::IQVFld* field, qx_DbFldList* list) {
  int32_t width = 0, decimals = 0;
  port::Bstr type, name, value;
  check(field->get_Width(&width), field);
  check(field->get_Decimals(&decimals), field);
  check(field->get_Type(type.out()), field);
  check(field->get_Name(name.out()), field);
  check(field->get_Value(value.out()), field);
  // A field object without a type letter describes text.
  const qx_wchar letter = type.length() ? type.get()[0] : u'C';
  const std::u16string name_text = cut(name, kNameRoom);
  const std::u16string value_text = cut(value, kValueRoom);
  qx_DbFldList_insEnd(list, name_text.c_str(), value.get() ? value_text.c_str() : nullptr, width,
                      decimals, letter);
}

// Appends `value` to `list` under `name` by its VARIANT type.
void append_variant(qx_FldList* list, const qx_wchar* name, const VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL: qx_FldList_appUnknown(list, name); return;
    case VT_I2: qx_FldList_appInt(list, name, value.iVal); return;
    case VT_I4: qx_FldList_appLong(list, name, value.lVal); return;
    case VT_R4: qx_FldList_appReal(list, name, static_cast<double>(value.fltVal)); return;
    case VT_R8: qx_FldList_appReal(list, name, value.dblVal); return;
    case VT_BSTR: {
      const std::u16string text = cut(port::Bstr(value.bstrVal), kVariableTextRoom);
      qx_FldList_appChar(list, name, text.c_str());
      return;
    }
    case VT_BOOL: qx_FldList_appInt(list, name, value.boolVal != 0 ? 1 : 0); return;
    case VT_UI1: qx_FldList_appInt(list, name, value.bVal); return;
    default:
      port::wfprintf(stdout, u"\nUnhandled Variable Type in COM FldList: %i",
                     static_cast<int>(value.vt));
      std::fflush(stdout);
  }
}

// The variable at `position`, or null when the list does not give one.
ComPtr<app::IVariable> variable_at(app::IVariableList* variables, int32_t position) {
  ComPtr<IDispatch> item;
  if (FAILED(variables->Item(integer_index(VT_I4, position), item.out()))) return nullptr;
  return query<app::IVariable>(item.get(), app::IID_IVariable);
}

void append_variables(app::IVariableList* variables, qx_FldList** out) {
  int32_t count = 0;
  check(variables->get_Count(&count), variables);
  for (int32_t i = 1; i <= count; ++i) {
    if (!*out) *out = qx_FldList_create(nullptr);
    auto variable = variable_at(variables, i);
    if (!variable) continue;
    port::Bstr name;
    if (FAILED(variable->get_Name(name.out()))) continue;
    VARIANT value;
    VariantInit(&value);
    if (FAILED(variable->get_Value(&value))) continue;
    const std::u16string name_text = cut(name, kVariableNameRoom);
    if (!name_text.empty() && *out) append_variant(*out, name_text.c_str(), value);
    VariantClear(&value);
  }
}

app::IVariableList* variables_of(qx_VariableList* variables) {
  return reinterpret_cast<app::IVariableList*>(variables);
}

}  // namespace

extern "C" {

QX_API void qx_ConvertDBFldListToQVFldList(qx_DbFldList* list, qx_QVFldList** out) {
  CoInitialize(nullptr);
  auto collection = create_object<app::IQVFldList>(app::CLSID_QVFldList, app::IID_IQVFldList);
  if (!collection) return;
  try {
    fill_collection(collection.get(), list);
  } catch (const port::ComError&) {
    // The collection keeps the fields added before the failing call.
  }
  if (!out) return;
  auto* held = reinterpret_cast<app::IQVFldList*>(*out);
  *out = reinterpret_cast<qx_QVFldList*>(collection.detach());
  if (held) held->Release();
}

QX_API void qx_ConvertQVFldListToDBFldList(qx_QVFldList* collection, qx_DbFldList** out) {
  auto owned = ComPtr<app::IQVFldList>::attach(reinterpret_cast<app::IQVFldList*>(collection));
  if (!out) return;
  if (!owned) {
    *out = nullptr;
    return;
  }
  qx_DbFldList* list = qx_LnkList_create(nullptr);
  try {
    int16_t count = 0;
    check(owned->get_Count(&count), owned.get());
    for (int32_t i = 1; i <= count; ++i) {
      ComPtr<app::IQVFld> field;
      check(owned->get_Item(integer_index(VT_INT, i), field.out()), owned.get());
      append_node_of(must(field), list);
    }
  } catch (const port::ComError&) {
    // The list keeps the nodes read before the failing call.
  }
  *out = list;
}

QX_API void qx_ConvertVarListToFldList(qx_VariableList* variables, qx_FldList** out) {
  if (!variables) return;
  auto given = ComPtr<IUnknown>::attach(reinterpret_cast<IUnknown*>(variables_of(variables)));
  if (!out) return;
  auto list = query<app::IVariableList>(given.get(), app::IID_IVariableList);
  try {
    append_variables(must(list), out);
  } catch (const port::ComError&) {
    // What was appended before the failing call stays.
  }
}

QX_API int qx_VarsList_InsertAtEnd(qx_VariableList* variables, const qx_wchar* name,
                                   const qx_wchar* value) {
  auto given = ComPtr<IUnknown>::attach(reinterpret_cast<IUnknown*>(variables_of(variables)));
  if (!given || !name || !value) return 0;
  try {
    auto list = query<app::IVariableList>(given.get(), app::IID_IVariableList);
    int32_t count = 0;
    if (!list || FAILED(list->get_Count(&count))) return 0;
    port::Bstr name_text = bstr_of(name);
    port::Bstr key = bstr_of(port::widen(std::to_string(count + 1)));
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(value);
    if (!text.bstrVal) throw port::ComError(E_OUTOFMEMORY, nullptr);
    BSTR name_slot = name_text.get();
    BSTR key_slot = key.get();
    ComPtr<app::IVariable> added;
    HRESULT hr = list->Add(&name_slot, &text, &key_slot, added.out());
    VariantClear(&text);
    check(hr, list.get());
    return 1;
  } catch (const port::ComError&) {
    return 0;
  }
}

QX_API int qx_VarsList_Reset(qx_VariableList* variables) {
  auto given = ComPtr<IUnknown>::attach(reinterpret_cast<IUnknown*>(variables_of(variables)));
  if (!given) return 1;
  try {
    auto list = query<app::IVariableList>(given.get(), app::IID_IVariableList);
    int32_t count = 0;
    check(must(list)->get_Count(&count), list.get());
    for (int32_t i = 1; i <= count; ++i) {
      VARIANT key;
      VariantInit(&key);
      key.vt = VT_BSTR;
      key.bstrVal = SysAllocString(port::widen(std::to_string(i)).c_str());
      if (!key.bstrVal) throw port::ComError(E_OUTOFMEMORY, nullptr);
      HRESULT hr = list->Remove(key);
      VariantClear(&key);
      check(hr, list.get());
    }
  } catch (const port::ComError&) {
    // Nothing more is removed after a failing call.
  }
  return 1;
}

}  // extern "C"
