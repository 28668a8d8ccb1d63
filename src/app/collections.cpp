// The built-in automation collections: field objects and their collection,
// variables and their list.  They keep their elements in insertion order and
// hand out references of their own; positions are 1-based, as automation
// collections count.
#include "app/collections.h"

#include <optional>
#include <vector>

#include "port/com_object.h"

namespace qx::app {

const CLSID CLSID_QVFldList = {0x5A3C1E11, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x11}};
const CLSID CLSID_QVFld = {0x5A3C1E12, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x12}};
const CLSID CLSID_VariableList = {0x5A3C1E13, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x13}};
const CLSID CLSID_Variable = {0x5A3C1E14, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x14}};
const IID IID_IQVFldList = {0x5A3C1E15, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x15}};
const IID IID_IQVFld = {0x5A3C1E16, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x16}};
const IID IID_IVariableList = {0x5A3C1E17, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x17}};
const IID IID_IVariable = {0x5A3C1E18, 0x7F2B, 0x4C11, {0x9A, 0x10, 0x51, 0x58, 0, 0, 0, 0x18}};

namespace {

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : std::u16string(); }

// A 1-based position from an index VARIANT of any integer type.
std::optional<int64_t> position_of(const VARIANT& index) {
  switch (index.vt) {
    case VT_I2: return index.iVal;
    case VT_I4:
    case VT_INT: return index.lVal;
    case VT_UI1: return index.bVal;
    default: return std::nullopt;
  }
}

template <typename Element>
HRESULT element_at(const std::vector<ComPtr<Element>>& items, const VARIANT& index,
                   Element** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto at = position_of(index);
  if (!at) return DISP_E_TYPEMISMATCH;
  if (*at < 1 || *at > static_cast<int64_t>(items.size())) return DISP_E_BADINDEX;
  return port::hand_out(items[static_cast<size_t>(*at - 1)].get(), out);
}

class FieldObject final : public port::ComObject<IQVFld> {
 public:
  FieldObject() : ComObject(IID_IQVFld) {}

  HRESULT get_Name(BSTR* name) override { return port::hand_out_text(name_, name); }
  HRESULT put_Name(BSTR name) override { return store(name_, name); }
  HRESULT get_NoValue(int16_t* no_value) override {
    if (!no_value) return E_POINTER;
    *no_value = no_value_;
    return S_OK;
  }
  HRESULT put_NoValue(int16_t no_value) override {
    no_value_ = no_value;
    return S_OK;
  }
  HRESULT get_Value(BSTR* value) override {
    if (!value) return E_POINTER;
    if (!value_) {
      *value = nullptr;
      return S_OK;
    }
    return port::hand_out_text(*value_, value);
  }
  HRESULT put_Value(BSTR value) override {
    value_ = text_of(value);
    return S_OK;
  }
  HRESULT get_Type(BSTR* type) override { return port::hand_out_text(type_, type); }
  HRESULT put_Type(BSTR type) override { return store(type_, type); }
  HRESULT get_Width(int32_t* width) override { return read(width_, width); }
  HRESULT put_Width(int32_t width) override {
    width_ = width;
    return S_OK;
  }
  HRESULT get_Decimals(int32_t* decimals) override { return read(decimals_, decimals); }
  HRESULT put_Decimals(int32_t decimals) override {
    decimals_ = decimals;
    return S_OK;
  }

 private:
  static HRESULT store(std::u16string& into, BSTR from) {
    into = text_of(from);
    return S_OK;
  }
  static HRESULT read(int32_t from, int32_t* into) {
    if (!into) return E_POINTER;
    *into = from;
    return S_OK;
  }

  std::u16string name_;
  std::optional<std::u16string> value_;  // unset until a value is written
  std::u16string type_;
  int16_t no_value_ = 0;
  int32_t width_ = 0;
  int32_t decimals_ = 0;
};

class FieldCollection final : public port::ComObject<IQVFldList> {
 public:
  FieldCollection() : ComObject(IID_IQVFldList) {}

  HRESULT Add(IQVFld* field, VARIANT* result) override {
    if (!field) return E_POINTER;
    // The count is 16 bits wide: a collection holds at most 32,767 fields.
    if (fields_.size() >= INT16_MAX) return E_OUTOFMEMORY;
    fields_.emplace_back(field);
    if (result) VariantInit(result);
    return S_OK;
  }
  HRESULT get_Count(int16_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int16_t>(fields_.size());
    return S_OK;
  }
  HRESULT get_Item(VARIANT index, IQVFld** field) override {
    return element_at(fields_, index, field);
  }

 private:
  std::vector<ComPtr<IQVFld>> fields_;
};

class VariableObject final : public port::ComObject<IVariable> {
 public:
  VariableObject() : ComObject(IID_IVariable) { VariantInit(&value_); }
  ~VariableObject() override { VariantClear(&value_); }

  HRESULT get_Key(BSTR* key) override { return port::hand_out_text(key_, key); }
  HRESULT put_Key(BSTR key) override {
    key_ = text_of(key);
    return S_OK;
  }
  HRESULT get_Value(VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &value_);
  }
  HRESULT put_Value(VARIANT value) override { return VariantCopy(&value_, &value); }
  HRESULT get_Name(BSTR* name) override { return port::hand_out_text(name_, name); }
  HRESULT put_Name(BSTR name) override {
    name_ = text_of(name);
    return S_OK;
  }

 private:
  std::u16string key_;
  std::u16string name_;
  VARIANT value_;
};

class VariableCollection final : public port::ComObject<IVariableList> {
 public:
  VariableCollection() : ComObject(IID_IVariableList) {}

  HRESULT Add(BSTR* name, VARIANT* value, BSTR* key, IVariable** variable) override {
    if (!name || !value || !key) return E_POINTER;
    auto made = ComPtr<VariableObject>::attach(new VariableObject);
    made->put_Name(*name);
    made->put_Key(*key);
    HRESULT hr = made->put_Value(*value);
    if (FAILED(hr)) return hr;
    variables_.emplace_back(made.get());
    if (variable) return port::hand_out<IVariable>(made.get(), variable);
    return S_OK;
  }
  HRESULT Item(VARIANT index, IDispatch** variable) override {
    if (!variable) return E_POINTER;
    IVariable* found = nullptr;
    HRESULT hr = element_at(variables_, index, &found);
    *variable = found;
    return hr;
  }
  HRESULT get_Count(int32_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(variables_.size());
    return S_OK;
  }
  HRESULT Remove(VARIANT key) override {
    if (key.vt != VT_BSTR) {
      auto at = position_of(key);
      if (!at) return DISP_E_TYPEMISMATCH;
      if (*at < 1 || *at > static_cast<int64_t>(variables_.size())) return DISP_E_BADINDEX;
      variables_.erase(variables_.begin() + (*at - 1));
      return S_OK;
    }
    const std::u16string wanted = text_of(key.bstrVal);
    for (auto it = variables_.begin(); it != variables_.end(); ++it) {
      port::Bstr own;
      (*it)->get_Key(own.out());
      if (own.str() == wanted) {
        variables_.erase(it);
        return S_OK;
      }
    }
    return DISP_E_BADINDEX;
  }

 private:
  std::vector<ComPtr<IVariable>> variables_;
};

template <typename Object>
HRESULT create(REFIID iid, void** out) {
  auto* object = new Object;
  HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

void register_unless_taken(REFCLSID clsid, ComClassFactory factory) {
  if (!CoGetRegisteredClass(clsid)) CoRegisterClass(clsid, factory);
}

}  // namespace

void register_collections() {
  register_unless_taken(CLSID_QVFldList, create<FieldCollection>);
  register_unless_taken(CLSID_QVFld, create<FieldObject>);
  register_unless_taken(CLSID_VariableList, create<VariableCollection>);
  register_unless_taken(CLSID_Variable, create<VariableObject>);
}

}  // namespace qx::app
