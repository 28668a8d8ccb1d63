// %name% references: alias expansion of INI values and variable expansion
// over the session, qx.ini and the process environment.
#include "config/expand.h"

#include "config/session_internal.h"
#include "port/environment.h"
#include "port/wstr.h"
#include "qx/env.h"

namespace {

constexpr size_t kExpandRoom = 512;
qx_wchar g_expanded[kExpandRoom + 1];
qx_wchar g_variable[kExpandRoom + 1];

// The text value of an alias; nothing when the name is unknown, too long to
// be one, or holds a value of another type.
std::optional<std::u16string> alias_text(std::u16string_view name) {
  if (name.size() > qx::config::kAliasRoom) return std::nullopt;
  std::u16string key(name);
  qx_wchar value[qx::config::kAliasRoom + 1];
  if (qx_Alias_get(value, key.c_str(), static_cast<int>(qx::config::kAliasRoom)) != 1)
    return std::nullopt;
  return std::u16string(value);
}

// Reads the reference that starts with the '%' at `pos` and moves `pos`
// past its closing '%' (or to the end when it has none); returns the name.
std::u16string_view read_reference(std::u16string_view text, size_t& pos) {
  size_t start = pos + 1;
  size_t close = text.find(u'%', start);
  if (close == std::u16string_view::npos) {
    pos = text.size();
    return text.substr(start);
  }
  pos = close + 1;
  return text.substr(start, close - start);
}

}  // namespace

namespace qx::config {

std::u16string expand_aliases(std::u16string_view text) {
  size_t percent = text.find(u'%');
  if (percent == std::u16string_view::npos) return std::u16string(text);
  std::u16string out(text.substr(0, percent));
  size_t pos = percent;
  while (pos < text.size()) {
    if (text[pos] != u'%') {
      out += text[pos++];
      continue;
    }
    size_t close = text.find(u'%', pos + 1);
    if (close == std::u16string_view::npos) break;  // an unclosed reference is dropped
    std::u16string_view name = text.substr(pos + 1, close - pos - 1);
    pos = close + 1;
    if (name.empty()) continue;  // "%%" gives nothing
    if (std::optional<std::u16string> value = alias_text(name)) {
      out += *value;
    } else {
      out += u'%';
      out += name;
      out += u'%';
    }
  }
  return out;
}

std::u16string variable_value(std::u16string_view name) {
  if (name.empty()) return {};
  std::u16string key(name);
  if (std::optional<std::u16string> value = session_value(key.c_str())) return *value;
  if (const qx_wchar* value = qx_Env_getIni(u"GENERAL", key.c_str())) return value;
  return port::environment_value(name).value_or(std::u16string());
}

std::u16string expand_variables(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] != u'%') {
      out += text[pos++];
    } else if (pos + 1 < text.size() && text[pos + 1] == u'%') {
      out += u'%';
      pos += 2;
    } else {
      out += variable_value(read_reference(text, pos));
    }
  }
  return out;
}

}  // namespace qx::config

extern "C" {

int qx_Alias_expandStr(qx_wchar* out, const qx_wchar* text) {
  if (!out || !text) return 0;
  std::u16string expanded = qx::config::expand_aliases(text);
  qx::port::wcpy(out, expanded.c_str());
  return 0;
}

qx_wchar* qx_Env_expandVar(const qx_wchar* text, int* position) {
  g_variable[0] = 0;
  if (!text || !position || *position < 0) return g_variable;
  std::u16string_view view(text);
  size_t pos = static_cast<size_t>(*position);
  if (pos >= view.size() || view[pos] != u'%') return g_variable;
  std::u16string_view name = read_reference(view, pos);
  *position = static_cast<int>(pos);
  qx::port::wcopy(g_variable, kExpandRoom + 1, qx::config::variable_value(name));
  return g_variable;
}

qx_wchar* qx_Env_expandStr(const qx_wchar* text) {
  qx::port::wcopy(g_expanded, kExpandRoom + 1,
                  qx::config::expand_variables(qx::port::wstring_of(text)));
  return g_expanded;
}

}  // extern "C"
