// What the INI functions share: the settings service and the conversions of
// their arguments to the service's strings.
#ifndef QX_CONFIG_INI_INTERNAL_H
#define QX_CONFIG_INI_INTERNAL_H

#include <string>

#include "app/holder.h"
#include "port/com.h"
#include "qx/fldlist.h"
#include "qx/types.h"

namespace qx::config {

// Room of the local name and value buffers and of the shared value buffer.
constexpr size_t kIniText = 1024;

// An argument as the service's string; a null pointer gives an empty one.
port::Bstr ini_bstr(const qx_wchar* s);

// The text of the list's current field when it is text or can be given as
// text (qx_FldList_currChar gives 1 or -3), cut to `room` characters; the
// status goes to *status.
bool current_text(qx_FldList* list, size_t room, std::u16string* text, int* status);

// The name of the list's current field (empty when it has none).
std::u16string current_name(qx_FldList* list);

}  // namespace qx::config

#endif  // QX_CONFIG_INI_INTERNAL_H
