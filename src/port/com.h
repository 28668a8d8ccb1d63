// The COM stand-in: what the library needs of COM and OLE Automation, with
// Windows' names and values so that code written against them reads the
// same.  HRESULT codes, BSTR (length-prefixed UTF-16 from SysAllocString),
// VARIANT with its VT codes, IUnknown/IDispatch as abstract classes with
// their operations in slot order, a per-thread initialise count, an
// in-process class registry for CoCreateInstance, and ComError for calls
// that fail.
#ifndef QX_PORT_COM_H
#define QX_PORT_COM_H

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "qx/porting.h"  // HRESULT, S_OK, S_FALSE, COINIT_* and the exported start-up calls
#include "qx/types.h"

// --- HRESULT -------------------------------------------------------------------
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);

// CLSCTX values: the library asks for every kind of server.
constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
constexpr uint32_t CLSCTX_INPROC_HANDLER = 0x2;
constexpr uint32_t CLSCTX_LOCAL_SERVER = 0x4;
constexpr uint32_t CLSCTX_REMOTE_SERVER = 0x10;
constexpr uint32_t CLSCTX_ALL =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// --- GUID ------------------------------------------------------------------------
struct GUID {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
  bool operator==(const GUID& o) const;
  bool operator!=(const GUID& o) const { return !(*this == o); }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// --- strings and booleans -----------------------------------------------------------
using BSTR = qx_wchar*;
using VARIANT_BOOL = int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

BSTR SysAllocString(const qx_wchar* s);
BSTR SysAllocStringLen(const qx_wchar* s, uint32_t length);
void SysFreeString(BSTR s);
uint32_t SysStringLen(BSTR s);

// --- interfaces --------------------------------------------------------------------
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct VARIANT;
using DISPID = int32_t;
struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
};

// The dispatch slots come first in every automation interface; the library
// calls its interfaces through the typed slots that follow them, so these
// four answer E_NOTIMPL unless a class says otherwise.
struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(uint32_t* count);
  virtual HRESULT GetTypeInfo(uint32_t index, uint32_t lcid, void** info);
  virtual HRESULT GetIDsOfNames(REFIID iid, qx_wchar** names, uint32_t count, uint32_t lcid,
                                DISPID* ids);
  virtual HRESULT Invoke(DISPID id, REFIID iid, uint32_t lcid, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, void* excepinfo, uint32_t* argerr);

 protected:
  ~IDispatch() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;

// --- VARIANT --------------------------------------------------------------------
using VARTYPE = uint16_t;
enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

struct VARIANT {
  VARTYPE vt;
  uint16_t wReserved1, wReserved2, wReserved3;
  union {
    int64_t llVal;
    uint64_t ullVal;
    int32_t lVal;
    uint32_t ulVal;
    int16_t iVal;
    uint16_t uiVal;
    int8_t cVal;
    uint8_t bVal;
    float fltVal;
    double dblVal;
    double date;
    VARIANT_BOOL boolVal;
    HRESULT scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    VARIANT* pvarVal;
    BSTR* pbstrVal;
    int32_t* plVal;
    int16_t* piVal;
    double* pdblVal;
    void* byref;
  };
};

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dst, const VARIANT* src);
// Converts between the scalar types, BSTR and VT_BOOL as Automation does
// (numbers formatted and parsed in the C locale).
HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, uint16_t flags, VARTYPE vt);

// --- apartments and creation --------------------------------------------------------
// CoInitialize, CoInitializeEx and CoUninitialize are declared in qx/porting.h:
// they are exported with C linkage for the programs that call the library.

// A class factory function: makes a new object and answers for `iid`.
using ComClassFactory = HRESULT (*)(REFIID iid, void** out);
// Registers (or with a null factory, removes) an in-process class.
void CoRegisterClass(REFCLSID clsid, ComClassFactory factory);
// The factory registered for a class, or null.
ComClassFactory CoGetRegisteredClass(REFCLSID clsid);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, uint32_t context, REFIID iid,
                         void** out);
// Puts an object into the running state; in-process objects already are.
HRESULT OleRun(IUnknown* object);

namespace qx::port {

// True when COM is initialised on the calling thread.
bool com_initialized();

// A failing COM call raised to the caller, with its status and the
// interface that failed.
class ComError : public std::exception {
 public:
  ComError(HRESULT hr, IUnknown* source);
  ComError(const ComError& other);
  ComError& operator=(const ComError&) = delete;
  ~ComError() override;
  HRESULT status() const { return hr_; }
  IUnknown* source() const { return source_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  HRESULT hr_;
  IUnknown* source_;
  std::string what_;
};

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const qx_wchar* s) : s_(SysAllocString(s)) {}
  explicit Bstr(const std::u16string& s)
      : s_(SysAllocStringLen(s.c_str(), static_cast<uint32_t>(s.size()))) {}
  Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    if (this != &o) {
      SysFreeString(s_);
      s_ = std::exchange(o.s_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(s_); }

  static Bstr attach(BSTR s) {
    Bstr b;
    b.s_ = s;
    return b;
  }
  BSTR get() const { return s_; }
  BSTR* out() {
    SysFreeString(s_);
    s_ = nullptr;
    return &s_;
  }
  uint32_t length() const { return SysStringLen(s_); }
  std::u16string str() const { return s_ ? std::u16string(s_, SysStringLen(s_)) : std::u16string(); }

 private:
  BSTR s_ = nullptr;
};

}  // namespace qx::port

namespace qx {

// A counted interface reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() {
    if (p_) p_->Release();
  }
  // Adopts a reference the caller already owns.
  static ComPtr attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  T** out() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

}  // namespace qx

#endif  // QX_PORT_COM_H
