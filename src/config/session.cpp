// Session variables: one process-wide string list of "name = value" lines,
// made on the first set and emptied (never destroyed) by a reset.  Lines are
// split back by the INI entry rules, so a value read back is trimmed and
// loses any '=' signs at its front; names match without regard to case.
#include "config/session_internal.h"
#include "qx/env.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "port/wstr.h"

namespace {

qx_StrList* g_session = nullptr;
int g_app_flag = 0;

constexpr size_t kValueRoom = 512;
qx_wchar g_value[kValueRoom + 1];

bool is_blank(char16_t c) { return qx::port::wisspace(c); }

std::u16string_view trimmed(std::u16string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// Finds the first line of `name`, leaving the list's cursor on it; returns
// its value, or nothing when no line matches.
std::optional<std::u16string_view> find_line(const qx_wchar* name) {
  if (!g_session || !name) return std::nullopt;
  size_t wanted = qx::port::wlen(name);
  for (qx_StrList_start(g_session); !qx_StrList_eol(g_session); qx_StrList_next(g_session)) {
    const auto* node = static_cast<const qx_StrListNode*>(qx_LnkList_getCurr(g_session));
    if (!node || !node->str) continue;
    // A line's name is its first non-blank text, so most lines are passed
    // over without being split.
    const qx_wchar* start = node->str;
    while (is_blank(*start)) ++start;
    if (qx::port::wnicmp(start, name, wanted) != 0) continue;
    qx::config::EntryLine entry = qx::config::split_entry_line(node->str);
    if (entry.name.size() == wanted &&
        qx::port::wnicmp(entry.name.data(), name, entry.name.size()) == 0)
      return entry.value;
  }
  return std::nullopt;
}

}  // namespace

namespace qx::config {

EntryLine split_entry_line(std::u16string_view line) {
  while (!line.empty() && line.front() == u' ') line.remove_prefix(1);
  size_t equals = line.find(u'=');
  EntryLine entry;
  entry.name = trimmed(line.substr(0, equals));
  if (equals == std::u16string_view::npos) return entry;
  std::u16string_view rest = line.substr(equals);
  while (!rest.empty() && (rest.front() == u' ' || rest.front() == u'=')) rest.remove_prefix(1);
  entry.value = trimmed(rest);
  return entry;
}

std::optional<std::u16string> session_value(const qx_wchar* name) {
  std::optional<std::u16string_view> value = find_line(name);
  if (!value) return std::nullopt;
  return std::u16string(*value);
}

}  // namespace qx::config

extern "C" {

qx_wchar* qx_Env_getSesLocal(const qx_wchar* name) {
  g_value[0] = 0;
  std::optional<std::u16string_view> value = find_line(name);
  if (!value) return nullptr;
  qx::port::wcopy(g_value, kValueRoom + 1, *value);
  return g_value;
}

int qx_Env_setSesLocal(const qx_wchar* name, const qx_wchar* value) {
  bool matched = g_session && find_line(name).has_value();
  if (!g_session) g_session = qx_StrList_create(nullptr);
  if (!g_session) return 1;
  if (value && value[0]) {
    std::u16string line = qx::port::wstring_of(name) + u" = " + value;
    if (matched)
      qx_StrList_modCurr(g_session, line.c_str());
    else
      qx_StrList_insEnd(g_session, line.c_str());
  } else if (matched) {
    qx_StrList_delCurr(g_session);
  }
  return matched ? 0 : 1;
}

void qx_Env_resetSesLocal(void) {
  if (g_session) qx_StrList_delAll(g_session);
}

qx_wchar* qx_Env_getSes(const qx_wchar* name) { return qx_Env_getSesLocal(name); }
int qx_Env_setSes(const qx_wchar* name, const qx_wchar* value) {
  return qx_Env_setSesLocal(name, value);
}
void qx_Env_resetSes(void) { qx_Env_resetSesLocal(); }

void qx_Env_setSesApp(void) { g_app_flag = 1; }

qx_StrList* qx_Env_getSesList(void) { return g_session ? qx_StrList_copy(g_session) : nullptr; }

}  // extern "C"
