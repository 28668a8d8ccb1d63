// Reference counting and interface lookup for the library's in-process COM
// classes: derive from ComObject<Interface> and implement the interface's
// own operations.
#ifndef QX_PORT_COM_OBJECT_H
#define QX_PORT_COM_OBJECT_H

#include <cstdint>

#include "port/com.h"

namespace qx::port {

template <typename Interface>
class ComObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // A new object holds one reference, owned by its creator.
  explicit ComObject(const IID& iid) : iid_(iid) {}
  virtual ~ComObject() = default;

 private:
  const IID& iid_;
  uint32_t refs_ = 1;
};

// Hands a new reference to `object` out through `out`; S_OK, or E_POINTER.
template <typename Interface>
HRESULT hand_out(Interface* object, Interface** out) {
  if (!out) return E_POINTER;
  *out = object;
  if (object) object->AddRef();
  return S_OK;
}

// Copies text into a new BSTR through `out`.
inline HRESULT hand_out_text(const std::u16string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.c_str(), static_cast<uint32_t>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace qx::port

#endif  // QX_PORT_COM_OBJECT_H
