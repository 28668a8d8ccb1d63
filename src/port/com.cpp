#include "port/com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "port/wstr.h"

bool GUID::operator==(const GUID& o) const {
  return data1 == o.data1 && data2 == o.data2 && data3 == o.data3 &&
         std::memcmp(data4, o.data4, sizeof data4) == 0;
}

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// --- BSTR: a 32-bit byte count in front of the characters, NUL after them ----------

BSTR SysAllocStringLen(const qx_wchar* s, uint32_t length) {
  auto* block = static_cast<unsigned char*>(
      std::malloc(sizeof(uint32_t) + (static_cast<size_t>(length) + 1) * sizeof(qx_wchar)));
  if (!block) return nullptr;
  uint32_t bytes = length * static_cast<uint32_t>(sizeof(qx_wchar));
  std::memcpy(block, &bytes, sizeof bytes);
  auto* text = reinterpret_cast<qx_wchar*>(block + sizeof(uint32_t));
  if (s)
    std::memcpy(text, s, length * sizeof(qx_wchar));
  else
    std::memset(text, 0, length * sizeof(qx_wchar));
  text[length] = 0;
  return text;
}

BSTR SysAllocString(const qx_wchar* s) {
  if (!s) return nullptr;
  return SysAllocStringLen(s, static_cast<uint32_t>(qx::port::wlen(s)));
}

void SysFreeString(BSTR s) {
  if (s) std::free(reinterpret_cast<unsigned char*>(s) - sizeof(uint32_t));
}

uint32_t SysStringLen(BSTR s) {
  if (!s) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(s) - sizeof(uint32_t), sizeof bytes);
  return bytes / sizeof(qx_wchar);
}

// --- IDispatch defaults ------------------------------------------------------------

HRESULT IDispatch::GetTypeInfoCount(uint32_t* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT IDispatch::GetTypeInfo(uint32_t, uint32_t, void** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT IDispatch::GetIDsOfNames(REFIID, qx_wchar**, uint32_t, uint32_t, DISPID*) {
  return E_NOTIMPL;
}
HRESULT IDispatch::Invoke(DISPID, REFIID, uint32_t, uint16_t, DISPPARAMS*, VARIANT*, void*,
                          uint32_t*) {
  return E_NOTIMPL;
}

// --- VARIANT -----------------------------------------------------------------------

void VariantInit(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!(v->vt & VT_BYREF)) {
    switch (v->vt) {
      case VT_BSTR: SysFreeString(v->bstrVal); break;
      case VT_UNKNOWN:
        if (v->punkVal) v->punkVal->Release();
        break;
      case VT_DISPATCH:
        if (v->pdispVal) v->pdispVal->Release();
        break;
      default: break;
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dst, const VARIANT* src) {
  if (!dst || !src) return E_INVALIDARG;
  if (dst == src) return S_OK;
  VARIANT copy = *src;
  if (!(src->vt & VT_BYREF)) {
    if (src->vt == VT_BSTR && src->bstrVal) {
      copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (!copy.bstrVal) return E_OUTOFMEMORY;
    } else if (src->vt == VT_UNKNOWN && src->punkVal) {
      src->punkVal->AddRef();
    } else if (src->vt == VT_DISPATCH && src->pdispVal) {
      src->pdispVal->AddRef();
    }
  }
  VariantClear(dst);
  *dst = copy;
  return S_OK;
}

namespace {

// The value of a scalar variant as a double; false for non-numeric kinds.
bool numeric_value(const VARIANT& v, double* out) {
  switch (v.vt) {
    case VT_EMPTY: *out = 0; return true;
    case VT_I1: *out = v.cVal; return true;
    case VT_UI1: *out = v.bVal; return true;
    case VT_I2: *out = v.iVal; return true;
    case VT_UI2: *out = v.uiVal; return true;
    case VT_I4:
    case VT_INT: *out = v.lVal; return true;
    case VT_UI4:
    case VT_UINT: *out = v.ulVal; return true;
    case VT_I8: *out = static_cast<double>(v.llVal); return true;
    case VT_UI8: *out = static_cast<double>(v.ullVal); return true;
    case VT_R4: *out = v.fltVal; return true;
    case VT_R8:
    case VT_DATE: *out = v.dblVal; return true;
    case VT_BOOL: *out = v.boolVal ? -1 : 0; return true;
    case VT_BSTR: {
      const qx_wchar* s = v.bstrVal ? v.bstrVal : u"";
      const qx_wchar* end = nullptr;
      double d = qx::port::wcstod(s, &end);
      while (end && qx::port::wisspace(*end)) ++end;
      if (end == s || (end && *end)) {
        if (qx::port::wicmp(s, u"true") == 0) { *out = -1; return true; }
        if (qx::port::wicmp(s, u"false") == 0) { *out = 0; return true; }
        return false;
      }
      *out = d;
      return true;
    }
    default: return false;
  }
}

std::u16string text_of_number(double d, bool integral) {
  char buf[64];
  if (integral)
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(d));
  else
    std::snprintf(buf, sizeof buf, "%.15g", d);
  return qx::port::widen(buf);
}

bool is_integral_type(VARTYPE vt) {
  return vt == VT_I1 || vt == VT_UI1 || vt == VT_I2 || vt == VT_UI2 || vt == VT_I4 ||
         vt == VT_UI4 || vt == VT_I8 || vt == VT_UI8 || vt == VT_INT || vt == VT_UINT;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, uint16_t, VARTYPE vt) {
  if (!dst || !src) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  if (src->vt == vt) return VariantCopy(dst, src);
  if (vt == VT_BSTR) {
    std::u16string text;
    if (src->vt == VT_BOOL) {
      text = src->boolVal ? u"True" : u"False";
    } else {
      double d;
      if (!numeric_value(*src, &d)) return DISP_E_TYPEMISMATCH;
      text = src->vt == VT_EMPTY ? u"" : text_of_number(d, is_integral_type(src->vt));
    }
    result.bstrVal = SysAllocStringLen(text.c_str(), static_cast<uint32_t>(text.size()));
    if (!result.bstrVal) return E_OUTOFMEMORY;
  } else {
    double d;
    if (!numeric_value(*src, &d)) return DISP_E_TYPEMISMATCH;
    switch (vt) {
      case VT_I2:
        if (d < -32768.5 || d > 32767.5) return DISP_E_OVERFLOW;
        result.iVal = static_cast<int16_t>(d < 0 ? d - 0.5 : d + 0.5);
        break;
      case VT_I4:
      case VT_INT:
        if (d < -2147483648.5 || d > 2147483647.5) return DISP_E_OVERFLOW;
        result.lVal = static_cast<int32_t>(d < 0 ? d - 0.5 : d + 0.5);
        break;
      case VT_R4: result.fltVal = static_cast<float>(d); break;
      case VT_R8: result.dblVal = d; break;
      case VT_BOOL: result.boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
      default: return DISP_E_TYPEMISMATCH;
    }
  }
  VariantClear(dst);
  *dst = result;
  return S_OK;
}

// --- apartments and the class registry --------------------------------------------

namespace {

thread_local int t_init_count = 0;

std::map<std::string, ComClassFactory>& class_registry() {
  static std::map<std::string, ComClassFactory> classes;
  return classes;
}

std::string key_of(const GUID& g) {
  return std::string(reinterpret_cast<const char*>(&g), sizeof g);
}

}  // namespace

HRESULT CoInitializeEx(void*, uint32_t) { return t_init_count++ == 0 ? S_OK : S_FALSE; }
HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }
void CoUninitialize() {
  if (t_init_count > 0) --t_init_count;
}

void CoRegisterClass(REFCLSID clsid, ComClassFactory factory) {
  if (factory)
    class_registry()[key_of(clsid)] = factory;
  else
    class_registry().erase(key_of(clsid));
}

ComClassFactory CoGetRegisteredClass(REFCLSID clsid) {
  auto it = class_registry().find(key_of(clsid));
  return it == class_registry().end() ? nullptr : it->second;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!qx::port::com_initialized()) return CO_E_NOTINITIALIZED;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto it = class_registry().find(key_of(clsid));
  if (it == class_registry().end()) return REGDB_E_CLASSNOTREG;
  return it->second(iid, out);
}

HRESULT OleRun(IUnknown* object) { return object ? S_OK : E_INVALIDARG; }

namespace qx::port {

bool com_initialized() { return t_init_count > 0; }

ComError::ComError(HRESULT hr, IUnknown* source) : hr_(hr), source_(source) {
  if (source_) source_->AddRef();
  char buf[64];
  std::snprintf(buf, sizeof buf, "COM error 0x%08X", static_cast<unsigned>(hr));
  what_ = buf;
}

ComError::ComError(const ComError& o) : hr_(o.hr_), source_(o.source_), what_(o.what_) {
  if (source_) source_->AddRef();
}

ComError::~ComError() {
  if (source_) source_->Release();
}

}  // namespace qx::port
