// The interfaces of the application component as the library calls them:
// each is an automation interface whose operations follow the dispatch slots
// in this order.  Slots the library never calls are kept (Reserved*) so the
// order is the component's own.
#ifndef QX_APP_INTERFACES_H
#define QX_APP_INTERFACES_H

#include "port/com.h"

namespace qx::app {

struct ITranslator : IDispatch {
  virtual HRESULT get_Language(BSTR* language) = 0;
  // text, key and layout in; result out (empty: not translated).
  virtual HRESULT Translate(BSTR* text, BSTR* key, int16_t* layout, BSTR* result) = 0;
};

struct IIniEntry : IDispatch {
  virtual HRESULT get_Value(BSTR* value) = 0;
  virtual HRESULT put_Value(BSTR value) = 0;
  virtual HRESULT get_Name(BSTR* name) = 0;
};

struct IIniGroup : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_Count(int32_t* count) = 0;
  virtual HRESULT get_NewEnum(IUnknown** e) = 0;
  virtual HRESULT Item(VARIANT* index, IIniEntry** entry) = 0;  // zero-based VT_I4
  virtual HRESULT Add(BSTR* name, BSTR* value) = 0;
  virtual HRESULT Remove(VARIANT* index) = 0;
  virtual HRESULT Clear(VARIANT_BOOL* done) = 0;
};

struct IIniGroupList : IDispatch {
  virtual HRESULT Item(VARIANT* index, IIniGroup** group) = 0;  // zero-based VT_I4
  virtual HRESULT get_Count(int32_t* count) = 0;
};

struct IIniService : IDispatch {
  virtual HRESULT GetGroup(BSTR file, BSTR group, IIniGroup** result) = 0;
  virtual HRESULT GetValue(BSTR file, BSTR group, BSTR name, BSTR* value) = 0;
  virtual HRESULT GetValueDefault(BSTR file, BSTR group, BSTR name, BSTR fallback,
                                  BSTR* value) = 0;
  virtual HRESULT GetGroups(BSTR file, IIniGroupList** result) = 0;
  virtual HRESULT AddGroup(BSTR file, BSTR group, VARIANT_BOOL* added) = 0;
  virtual HRESULT SetValue(BSTR file, BSTR group, BSTR name, BSTR value,
                           VARIANT_BOOL* written) = 0;
  virtual HRESULT RemoveGroup(BSTR file, BSTR group, VARIANT_BOOL* removed) = 0;
  virtual HRESULT RemoveValue(BSTR file, BSTR group, BSTR name, VARIANT_BOOL* removed) = 0;
  virtual HRESULT ResetCache() = 0;
  virtual HRESULT Reload(BSTR file) = 0;
  virtual HRESULT ViewCache() = 0;
};

struct IFileService : IDispatch {
  virtual HRESULT FileExists(BSTR path, VARIANT_BOOL* exists) = 0;
  virtual HRESULT DirExists(BSTR path, VARIANT_BOOL* exists) = 0;
  virtual HRESULT Revalidate(BSTR path) = 0;
};

struct IApplicationObject : IDispatch {
  virtual HRESULT get_ConfigDirectory(BSTR* dir) = 0;
  virtual HRESULT put_ApplicationGroup(BSTR* group) = 0;
  virtual HRESULT get_ApplicationGroup(BSTR* group) = 0;
  virtual HRESULT get_BaseSectionName(BSTR* name) = 0;
  virtual HRESULT get_Translator(ITranslator** translator) = 0;
  virtual HRESULT get_Version(BSTR* version) = 0;
  virtual HRESULT get_Name(BSTR* name) = 0;
  virtual HRESULT get_IniService(IIniService** service) = 0;
  virtual HRESULT get_FileService(IFileService** service) = 0;
};

extern const CLSID CLSID_ApplicationObject;
extern const IID IID_IApplicationObject;
extern const IID IID_ITranslator;
extern const IID IID_IIniService;
extern const IID IID_IIniGroup;
extern const IID IID_IIniGroupList;
extern const IID IID_IIniEntry;
extern const IID IID_IFileService;

}  // namespace qx::app

#endif  // QX_APP_INTERFACES_H
