// The message facility: every user-visible text is requested by key with a
// default English text and a layout code.  When the configuration names a
// non-English language (or language debugging is on), the application
// component's translator supplies the text; otherwise the default is
// returned with its escapes decoded and its layout applied.
#include "qx/msg.h"

#include "core/msg_internal.h"
#include "core/translation.h"
#include "qx/env.h"
#include "port/alert.h"
#include "port/com.h"
#include "port/wstr.h"

using qx::port::wstring;

namespace {

struct MsgState {
  bool first_use = true;
  bool translation_off = false;
  bool language_debug = false;
};

MsgState g_state;
qx_wchar g_result[QX_MSG_RESULT_LEN + 1];
qx_wchar g_format[QX_MSG_FORMAT_LEN + 1];
qx_wchar g_pad[QX_MSG_PAD_LEN + 1];

constexpr char16_t kTranslatorCaption[] = u"Message Translator Error";
constexpr char16_t kTranslatorText[] =
    u"Unable to create an instance of the Message Translator.\n"
    u"Make sure this component (QVApplication2.dll) is installed and registered correctly.";

// The layout pattern of a code; null means "as it is".
const char16_t* layout_pattern(int code) {
  switch (code) {
    case 2: return u"%s ";
    case 3: return u"\n%s";
    case 4: return u"\n%s ";
    case 5: return u"%s\n";
    case 6: return u"%s \n";
    case 7: return u"\n%s\n";
    case 8: return u"\n%s \n";
    default: return nullptr;
  }
}

bool starts_with_eng(const qx_wchar* language) {
  return language && qx::port::wnicmp(language, u"ENG", 3) == 0;
}

bool setting_is_off(const qx_wchar* value) {
  return !value || qx::port::wicmp(value, u"0") == 0;
}

qx_wchar* return_default(const qx_wchar* text, int code) {
  qx::port::wcopy(g_result, QX_MSG_RESULT_LEN + 1, qx_Msg_format(text, code));
  return g_result;
}

// Decides once per process whether texts are translated.  Returns false when
// the caller should return the formatted default right away.
bool decide_translation() {
  g_state.first_use = false;
  g_state.language_debug = !setting_is_off(qx_Env_getIni(u"GENERAL", u"LANGUAGE_DEBUG"));
  const qx_wchar* language = qx_Env_getIni(u"GENERAL", u"LANGUAGE");
  bool english = !language || starts_with_eng(language);
  if (english && !g_state.language_debug) {
    g_state.translation_off = true;
    return false;
  }
  if (!qx::core::has_translator()) {
    g_state.translation_off = true;
    qx::port::alert(kTranslatorCaption, kTranslatorText,
                    qx::port::kAlertOk | qx::port::kAlertIconWarning);
  }
  return true;
}

// The wide lookup behind every entry point.
qx_wchar* lookup(const qx_wchar* text, const qx_wchar* key, int code) {
  if (!text) text = u"";
  if (g_state.translation_off) return return_default(text, code);
  if (g_state.first_use && !decide_translation()) return return_default(text, code);
  if (!qx::core::has_translator()) return return_default(text, code);
  std::u16string translated =
      qx::core::translate(text, key, static_cast<int16_t>(code == 0 ? 0 : code - 1));
  if (translated.empty()) return return_default(text, code);
  qx::port::wcopy(g_result, QX_MSG_RESULT_LEN + 1, translated.c_str());
  return g_result;
}

}  // namespace

namespace qx {
void reset_message_state() { g_state = MsgState{}; }
}  // namespace qx

extern "C" {

qx_wchar* qx_Msg(const char* text, const char* key, int layout) {
  wstring wide_text = qx::port::widen(text ? text : "");
  wstring wide_key = qx::port::widen(key ? key : "");
  return lookup(wide_text.c_str(), wide_key.c_str(), layout);
}

qx_wchar* qx_MsgDBCols(const qx_wchar* column, int layout) {
  std::string narrow = qx::port::narrow(column);
  return qx_Msg(narrow.c_str(), "DBCols", layout);
}

qx_wchar* qx_Msg_pad(const qx_wchar* text, const qx_wchar* key, int layout, int width) {
  qx::port::wcopy(g_pad, QX_MSG_PAD_LEN + 1, lookup(text, key, layout));
  if (width >= 1) {
    size_t n = qx::port::wlen(g_pad);
    size_t target = static_cast<size_t>(width) < QX_MSG_PAD_LEN ? width : QX_MSG_PAD_LEN;
    for (; n < target; ++n) g_pad[n] = u' ';
    g_pad[n] = 0;
  }
  return g_pad;
}

qx_wchar* qx_Msg_format(const qx_wchar* text, int layout) {
  wstring decoded = qx::port::wstring_of(text);
  decoded.push_back(0);
  qx_Msg_scanEsc(decoded.data());
  const char16_t* pattern = layout_pattern(layout);
  if (pattern)
    qx::port::wsnprintf(g_format, QX_MSG_FORMAT_LEN + 1, pattern, decoded.c_str());
  else
    qx::port::wcopy(g_format, QX_MSG_FORMAT_LEN + 1, decoded.c_str());
  return g_format;
}

int qx_Msg_setFormat(int style) { return style >= 1 && style <= 7 ? style + 1 : 1; }

qx_wchar* qx_Msg_scanEsc(qx_wchar* text) {
  if (!text) return text;
  qx_wchar* out = text;
  for (const qx_wchar* in = text; *in;) {
    if (*in != u'\\') {
      *out++ = *in++;
      continue;
    }
    ++in;  // the backslash
    qx_wchar c = *in;
    if (!c) break;  // a trailing backslash ends the text
    if (qx::port::wisdigit(c)) {
      unsigned value = 0;
      for (int i = 0; i < 3 && qx::port::wisdigit(*in); ++i) value = value * 8 + (*in++ - u'0');
      *out++ = static_cast<qx_wchar>(value);
      continue;
    }
    ++in;
    switch (c) {
      case u'"': *out++ = u'"'; break;
      case u'\'': *out++ = u'\''; break;
      case u'\\': *out++ = u'\\'; break;
      case u'a': *out++ = 7; break;
      case u'b': *out++ = 8; break;
      case u'f': *out++ = 12; break;
      case u'n': *out++ = 10; break;
      case u'r': *out++ = 13; break;
      case u't': *out++ = 9; break;
      default: break;  // unknown escape: both characters dropped
    }
  }
  *out = 0;
  return text;
}

int qx_Msg_breakStr(const qx_wchar* source, qx_wchar* first, qx_wchar* second) {
  qx_wchar copy[QX_MAX_PATH];
  qx::port::wcopy(copy, QX_MAX_PATH, source);
  qx_wchar* context = nullptr;
  qx_wchar* a = qx::port::wtok(copy, u" _", &context);
  qx_wchar* b = a ? qx::port::wtok(nullptr, u" _", &context) : nullptr;
  auto trimmed = [](const qx_wchar* s) {
    wstring t = qx::port::wstring_of(s);
    size_t begin = 0, end = t.size();
    while (begin < end && qx::port::wisspace(t[begin])) ++begin;
    while (end > begin && qx::port::wisspace(t[end - 1])) --end;
    return t.substr(begin, end - begin);
  };
  if (!first) return 0;
  wstring one = trimmed(a);
  qx::port::wcpy(first, one.c_str());
  if (one.empty()) return 0;
  wstring two = trimmed(b);
  if (second) qx::port::wcpy(second, two.c_str());
  return !two.empty() ? 1 : 0;
}

}  // extern "C"
