// The translator as the message facility in core asks for it (core/translation.h).
#include "core/translation.h"

#include "app/holder.h"
#include "port/com.h"

namespace qx::core {

bool has_translator() { return static_cast<bool>(app::translator()); }

std::u16string translate(const qx_wchar* text, const qx_wchar* key, int16_t layout) {
  ComPtr<app::ITranslator> translator = app::translator();
  if (!translator) return {};
  port::Bstr in_text(text), in_key(key ? key : u"");
  BSTR result = nullptr;
  BSTR text_arg = in_text.get(), key_arg = in_key.get();
  HRESULT hr = translator->Translate(&text_arg, &key_arg, &layout, &result);
  port::Bstr owned(port::Bstr::attach(result));
  if (FAILED(hr)) throw port::ComError(hr, translator.get());
  return std::u16string(owned.get() ? owned.get() : u"", owned.length());
}

}  // namespace qx::core
