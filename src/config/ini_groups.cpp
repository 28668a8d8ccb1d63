// Whole INI groups and group lists through the settings service.
#include <algorithm>
#include <cstdint>

#include "config/expand.h"
#include "config/ini_internal.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/ini.h"

namespace {

namespace port = qx::port;
using qx::ComPtr;
using qx::app::IIniEntry;
using qx::app::IIniGroup;
using qx::app::IIniGroupList;
using qx::app::IIniService;
using qx::config::current_name;
using qx::config::current_text;
using qx::config::ini_bstr;
using qx::config::kIniText;

// Room of the texts written by qx_Ini_setGroup.
constexpr size_t kSetGroupText = 512;

// What one of the service's collections holds: Item takes a variant index.
VARIANT index_variant(int32_t index) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = index;
  return v;
}

// A text as the local buffers of 1024 characters (terminator included) hold it.
std::u16string cut(std::u16string text) {
  if (text.size() > kIniText - 1) text.resize(kIniText - 1);
  return text;
}

ComPtr<IIniGroup> find_group(IIniService* settings, const qx_wchar* file, const qx_wchar* group) {
  ComPtr<IIniGroup> found;
  if (FAILED(settings->GetGroup(ini_bstr(file).get(), ini_bstr(group).get(), found.out())))
    found.reset();
  return found;
}

bool add_group(IIniService* settings, const qx_wchar* file, const qx_wchar* group) {
  VARIANT_BOOL added = VARIANT_FALSE;
  HRESULT hr = settings->AddGroup(ini_bstr(file).get(), ini_bstr(group).get(), &added);
  return SUCCEEDED(hr) && added != VARIANT_FALSE;
}

int32_t count_of(IIniGroup* group) {
  int32_t count = 0;
  return SUCCEEDED(group->get_Count(&count)) ? count : 0;
}

// Calls `write(name, text)` for every named field of the list whose value
// can be given as text (1024 characters at most).
template <typename Write>
void for_each_text_field(qx_FldList* list, Write write) {
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    std::u16string name = current_name(list), text;
    int status;
    if (!name.empty() && current_text(list, kIniText, &text, &status)) write(name, text);
  }
}

// The routine behind the four group readers.
qx_FldList* read_group(const qx_wchar* file, const qx_wchar* group, bool expand, bool keep_empty) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings) return nullptr;
  ComPtr<IIniGroup> found = find_group(settings.get(), file, group);
  if (!found) return nullptr;
  int32_t count = count_of(found.get());
  if (count <= 0) return nullptr;
  qx_FldList* list = qx_FldList_create(nullptr);
  for (int32_t i = 0; list && i < count; ++i) {
    VARIANT index = index_variant(i);
    ComPtr<IIniEntry> entry;
    if (FAILED(found->Item(&index, entry.out())) || !entry) continue;
    port::Bstr name, value;
    if (FAILED(entry->get_Name(name.out())) || FAILED(entry->get_Value(value.out()))) continue;
    if (name.length() == 0 || (!keep_empty && value.length() == 0)) continue;
    std::u16string text = cut(value.str());
    if (expand) text = cut(qx::config::expand_aliases(text));
    qx_FldList_appChar(list, cut(name.str()).c_str(), text.c_str());
  }
  return list;
}

qx_wchar g_suffix[16];

}  // namespace

extern "C" {

int qx_Ini_setGroup(const qx_wchar* file, const qx_wchar* group, qx_FldList* list,
                    int onlyExisting) {
  if (!qx_File_hasAccess(file, 2)) return 0;
  int status = 1;
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    std::u16string name = current_name(list), text;
    if (name.empty()) {
      status = 0;
      continue;
    }
    if (onlyExisting && !qx_Ini_get(file, group, name.c_str())) continue;
    if (current_text(list, kSetGroupText, &text, &status) &&
        qx_Ini_set(file, group, name.c_str(), text.c_str()) != 0)
      status = 0;
  }
  // The status of the last field handled, not of the whole list: callers rely on that.
  return status;
}

int qx_Ini_setGroupEx(const qx_wchar* file, const qx_wchar* group, qx_FldList* list) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings) return 0;
  port::Bstr b_file = ini_bstr(file), b_group = ini_bstr(group);
  VARIANT_BOOL answer = VARIANT_FALSE;
  settings->RemoveGroup(b_file.get(), b_group.get(), &answer);
  if (!add_group(settings.get(), file, group)) return 0;
  for_each_text_field(list, [&](const std::u16string& name, const std::u16string& text) {
    settings->SetValue(b_file.get(), b_group.get(), port::Bstr(name).get(), port::Bstr(text).get(),
                       &answer);
  });
  return find_group(settings.get(), file, group) ? 1 : 0;
}

int qx_Ini_updateGroup(const qx_wchar* file, const qx_wchar* group, qx_FldList* list) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings) return 0;
  ComPtr<IIniGroup> target = find_group(settings.get(), file, group);
  if (target) {
    VARIANT_BOOL cleared = VARIANT_FALSE;
    if (FAILED(target->Clear(&cleared)) || cleared == VARIANT_FALSE) return 0;
  } else {
    add_group(settings.get(), file, group);
    target = find_group(settings.get(), file, group);
    if (!target) return 0;
  }
  for_each_text_field(list, [&](const std::u16string& name, const std::u16string& text) {
    port::Bstr b_name(name), b_text(text);
    BSTR n = b_name.get(), t = b_text.get();
    target->Add(&n, &t);
  });
  return 1;
}

int qx_Ini_addGroup(const qx_wchar* file, const qx_wchar* group) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings || find_group(settings.get(), file, group)) return 0;
  return add_group(settings.get(), file, group) ? 1 : 0;
}

int qx_Ini_removeGroup(const qx_wchar* file, const qx_wchar* group) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings) return 0;
  VARIANT_BOOL removed = VARIANT_FALSE;
  HRESULT hr = settings->RemoveGroup(ini_bstr(file).get(), ini_bstr(group).get(), &removed);
  return SUCCEEDED(hr) && removed != VARIANT_FALSE ? 1 : 0;
}

qx_FldList* qx_Ini_getGroup(const qx_wchar* file, const qx_wchar* group) {
  return read_group(file, group, true, false);
}

qx_FldList* qx_Ini_getGroupWithNulls(const qx_wchar* file, const qx_wchar* group) {
  return read_group(file, group, true, true);
}

qx_FldList* qx_Ini_getGroupAbsolute(const qx_wchar* file, const qx_wchar* group) {
  return read_group(file, group, false, false);
}

qx_FldList* qx_Ini_getGroupValues(const qx_wchar* file, const qx_wchar* group, int expand) {
  return read_group(file, group, expand != 0, false);
}

qx_StrList* qx_Ini_findPrefixGroups(const qx_wchar* file, const qx_wchar* prefix) {
  ComPtr<IIniService> settings = qx::app::settings();
  if (!settings) return nullptr;
  ComPtr<IIniGroupList> groups;
  if (FAILED(settings->GetGroups(ini_bstr(file).get(), groups.out())) || !groups) return nullptr;
  int32_t count = 0;
  if (FAILED(groups->get_Count(&count)) || count <= 0) return nullptr;
  qx_StrList* names = qx_StrList_create(static_cast<const qx_wchar*>(nullptr));
  size_t prefix_length = port::wlen(prefix);
  for (int32_t i = 0; names && i < count; ++i) {
    VARIANT index = index_variant(i);
    ComPtr<IIniGroup> found;
    port::Bstr name;
    if (FAILED(groups->Item(&index, found.out())) || !found || FAILED(found->get_Name(name.out())))
      continue;
    std::u16string text = cut(name.str());
    if (prefix_length == 0 || port::wnicmp(text.c_str(), prefix, prefix_length) == 0)
      qx_StrList_insEnd(names, text.c_str());
  }
  return names;
}

qx_StrList* qx_Ini_findAllGroups(const qx_wchar* file) {
  return qx_Ini_findPrefixGroups(file, u"");
}

qx_wchar* qx_Ini_getGroupNameSuffix(const qx_wchar* name) {
  if (!name) return nullptr;
  const qx_wchar* point = port::wchr(name, u'.');
  return const_cast<qx_wchar*>(point ? point + 1 : name);
}

qx_wchar* qx_Ini_getNextIncrSuffix(const qx_wchar* file, const qx_wchar* prefix) {
  int64_t highest = -1;
  if (qx_StrList* names = qx_Ini_findPrefixGroups(file, prefix)) {
    for (qx_StrList_start(names); !qx_StrList_eol(names); qx_StrList_next(names))
      highest = std::max<int64_t>(highest, port::wtoi(qx_Ini_getGroupNameSuffix(
                                               qx_StrList_getCurr(names))));
    qx_StrList_destroy(names);
  }
  port::wsnprintf(g_suffix, sizeof g_suffix / sizeof g_suffix[0], u"%lld",
                  static_cast<long long>(highest + 1));
  return g_suffix;
}

}  // extern "C"
