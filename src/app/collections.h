// The automation collections of the application: a field-list collection
// (IQVFldList) of field objects (IQVFld), and a list of named variables
// (IVariableList) of IVariable.  Each is an automation interface whose own
// operations follow the dispatch slots in the order below; properties are a
// reader and a writer in consecutive slots.  The built-in component supplies
// in-process classes for all four; a host may register its own first.
#ifndef QX_APP_COLLECTIONS_H
#define QX_APP_COLLECTIONS_H

#include "port/com.h"

namespace qx::app {

struct IQVFld : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT put_Name(BSTR name) = 0;
  virtual HRESULT get_NoValue(int16_t* no_value) = 0;
  virtual HRESULT put_NoValue(int16_t no_value) = 0;
  virtual HRESULT get_Value(BSTR* value) = 0;  // null when no value was set
  virtual HRESULT put_Value(BSTR value) = 0;
  virtual HRESULT get_Type(BSTR* type) = 0;
  virtual HRESULT put_Type(BSTR type) = 0;
  virtual HRESULT get_Width(int32_t* width) = 0;
  virtual HRESULT put_Width(int32_t width) = 0;
  virtual HRESULT get_Decimals(int32_t* decimals) = 0;
  virtual HRESULT put_Decimals(int32_t decimals) = 0;
};

struct IQVFldList : IDispatch {
  virtual HRESULT Add(IQVFld* field, VARIANT* result) = 0;
  virtual HRESULT get_Count(int16_t* count) = 0;
  virtual HRESULT get_Item(VARIANT index, IQVFld** field) = 0;  // 1-based
};

struct IVariable : IDispatch {
  virtual HRESULT get_Key(BSTR* key) = 0;
  virtual HRESULT put_Key(BSTR key) = 0;
  virtual HRESULT get_Value(VARIANT* value) = 0;
  virtual HRESULT put_Value(VARIANT value) = 0;
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT put_Name(BSTR name) = 0;
};

struct IVariableList : IDispatch {
  virtual HRESULT Add(BSTR* name, VARIANT* value, BSTR* key, IVariable** variable) = 0;
  virtual HRESULT Item(VARIANT index, IDispatch** variable) = 0;  // 1-based
  virtual HRESULT get_Count(int32_t* count) = 0;
  virtual HRESULT Remove(VARIANT key) = 0;  // by key text, or a 1-based position
};

extern const CLSID CLSID_QVFldList;
extern const CLSID CLSID_QVFld;
extern const CLSID CLSID_VariableList;
extern const CLSID CLSID_Variable;
extern const IID IID_IQVFldList;
extern const IID IID_IQVFld;
extern const IID IID_IVariableList;
extern const IID IID_IVariable;

// Registers the built-in collection classes, each unless a host registered
// its own class under the same identifier first.
void register_collections();

}  // namespace qx::app

#endif  // QX_APP_COLLECTIONS_H
