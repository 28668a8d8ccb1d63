// Single INI values through the settings service, and the cache controls.
#include <algorithm>

#include "config/expand.h"
#include "config/ini_internal.h"
#include "port/wstr.h"
#include "qx/ini.h"
#include "qx/file.h"
#include "qx/str.h"

namespace qx::config {

namespace port = qx::port;

port::Bstr ini_bstr(const qx_wchar* s) { return port::Bstr(port::wstring_of(s)); }

bool current_text(qx_FldList* list, size_t room, std::u16string* text, int* status) {
  std::u16string buffer(room + 1, u'\0');
  *status = qx_FldList_currChar(list, buffer.data(), static_cast<int>(room));
  if (*status != QX_FLD_OK && *status != QX_FLD_OTHER_TYPE) return false;
  text->assign(buffer.c_str());
  return true;
}

std::u16string current_name(qx_FldList* list) {
  const qx_FldNode* node = qx_FldList_curr(list);
  return node && node->name ? std::u16string(node->name) : std::u16string();
}

}  // namespace qx::config

namespace {

namespace port = qx::port;
using qx::config::ini_bstr;
using qx::config::kIniText;

// The shared result buffer of getValue, get and getAbsolute.
qx_wchar g_value[kIniText + 1];
constexpr int kDefaultMaximum = 512;

// The service's value, cut to what the local buffer of 1024 characters
// (terminator included) holds; empty when there is none.
std::u16string service_value(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name) {
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return {};
  port::Bstr value;
  if (FAILED(settings->GetValue(ini_bstr(file).get(), ini_bstr(group).get(),
                                ini_bstr(name).get(), value.out())))
    return {};
  std::u16string text = value.str();
  if (text.size() > kIniText - 1) text.resize(kIniText - 1);
  return text;
}

}  // namespace

extern "C" {

qx_wchar* qx_Ini_getValue(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name,
                          int expand, int maximum) {
  g_value[0] = 0;
  std::u16string found = service_value(file, group, name);
  if (!found.empty()) {
    if (expand) {
      port::wcopy(g_value, kIniText + 1, qx::config::expand_aliases(found));
    } else {
      size_t keep = std::min(static_cast<size_t>(std::max(maximum, 0)), kIniText);
      port::wcopy(g_value, keep + 1, found);
    }
    qx_Str_rlb(g_value);
  }
  // A value of blanks only is as good as none.
  return g_value[0] ? g_value : nullptr;
}

qx_wchar* qx_Ini_get(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name) {
  return qx_Ini_getValue(file, group, name, 1, kDefaultMaximum);
}

qx_wchar* qx_Ini_getAbsolute(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name) {
  return qx_Ini_getValue(file, group, name, 0, kDefaultMaximum);
}

int qx_Ini_set(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name,
               const qx_wchar* value) {
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return 1;
  VARIANT_BOOL written = VARIANT_FALSE;
  HRESULT hr = settings->SetValue(ini_bstr(file).get(), ini_bstr(group).get(),
                                  ini_bstr(name).get(), ini_bstr(value).get(), &written);
  return SUCCEEDED(hr) && written != VARIANT_FALSE ? 0 : 1;
}

int qx_Ini_setAndVerify(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name,
                        const qx_wchar* value, int* setResult) {
  int result = qx_Ini_set(file, group, name, value);
  if (setResult) *setResult = result;
  const qx_wchar* back = qx_Ini_getValue(file, group, name, 0, static_cast<int>(kIniText));
  if (!back) return 0;
  return port::wicmp(back, value ? value : u"") == 0 ? 1 : 0;
}

int qx_Ini_displayError(const qx_wchar* file, const qx_wchar* group, const qx_wchar* name) {
  return port::wfprintf(stdout, u"Error reading Ini File\nFile Name %s\nGroup Name %s\nVariable Name %s",
                        file, group, name);
}

void qx_Ini_resetCache(void) {
  if (qx::ComPtr<qx::app::IIniService> settings = qx::app::settings()) settings->ResetCache();
}

void qx_Ini_reload(const qx_wchar* file) {
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return;
  qx_File_revalidate(file);
  settings->Reload(ini_bstr(file).get());
}

void qx_Ini_viewCache(void) {
  if (qx::ComPtr<qx::app::IIniService> settings = qx::app::settings()) settings->ViewCache();
}

}  // extern "C"
