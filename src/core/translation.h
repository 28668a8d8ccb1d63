// The message facility's one need of the application component above it:
// its translator.  Core declares the two calls; the component layer defines
// them (src/app/translation.cpp), so the facility names no interface of the
// component and the linker ties the two together in the shared library and
// in the static archive alike.
#ifndef QX_CORE_TRANSLATION_H
#define QX_CORE_TRANSLATION_H

#include <cstdint>
#include <string>

#include "qx/types.h"

namespace qx::core {

// True when the application component offers a translator.
bool has_translator();

// The translator's text for `text` under `key` with layout `layout`; empty
// when it has none.  A failing call raises port::ComError naming the
// translator.
std::u16string translate(const qx_wchar* text, const qx_wchar* key, int16_t layout);

}  // namespace qx::core

#endif  // QX_CORE_TRANSLATION_H
