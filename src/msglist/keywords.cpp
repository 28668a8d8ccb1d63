// Keyword lists: comma-separated words paired, word by word, with their
// translation.  A language may separate the translated words with a
// character of its own: it says so with a marker file SEP_<language>.dbf in
// the network directory's Language folder, and the separator is then the
// translation of "," under the key "SEP".
#include <string>

#include "port/environment.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/env.h"
#include "qx/file.h"
#include "qx/fname.h"
#include "qx/memory.h"
#include "qx/msg.h"
#include "qx/msglist.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/sys.h"

namespace {

using std::u16string;

constexpr uint32_t kMsgCondition = QX_DIAG_MSG;  // 1024
qx_wchar g_found[QX_MSG_FIND_LEN + 1];

bool tracing() { return QX_DiagCurrentLevel >= 2 && (QX_DiagCurrentCondition & kMsgCondition); }

void diag_line(const u16string& text, int line) {
  qx_Diag_putOutputMsg(text.c_str(), u"keywords.cpp", line);
}

int release_node(void* data) {
  return qx_MsgKeyWordListNode_destroy(static_cast<qx_MsgKeyWordListNode*>(data));
}

bool has_separator_file(const qx_wchar* language) {
  qx_wchar path[QX_MAX_PATH];
  qx_Sys_getNetDir(path);
  qx_Fname_fixDir(path);
  qx::port::wappend(path, QX_MAX_PATH, u"Language");
  qx_Fname_fixDir(path);
  u16string marker = u"SEP_" + qx::port::wstring_of(language) + u".dbf";
  qx::port::wappend(path, QX_MAX_PATH, marker.c_str());
  return qx_File_exists(path) != 0;
}

// "," unless the configured language has a separator of its own.  Switches
// the process locale to "LANG_LOCALE" when one is set.
u16string translation_separator() {
  u16string language = qx::port::wstring_of(qx_Env_getIni(u"GENERAL", u"LANGUAGE"));
  if (language.empty()) return u",";
  if (const qx_wchar* locale = qx_Env_getIni(u"GENERAL", u"LANG_LOCALE")) {
    std::string answer = qx::port::set_process_locale(qx::port::narrow(locale));
    if (tracing())
      diag_line(qx::port::wformat(u"Current locale set to %s original locale %hs", locale,
                                  answer.c_str()),
                __LINE__);
  }
  if (!has_separator_file(language.c_str())) return u",";
  return qx::port::wstring_of(qx_Msg(",", "SEP", 1));
}

}  // namespace

extern "C" {

qx_MsgKeyWordListNode* qx_MsgKeyWordListNode_create(const qx_wchar* word,
                                                    const qx_wchar* translation) {
  auto* node = static_cast<qx_MsgKeyWordListNode*>(qx_Malloc(sizeof(qx_MsgKeyWordListNode)));
  if (!node) return nullptr;
  node->word = qx_Str_dup(word);
  node->translation = qx_Str_dup(translation);
  if ((word && !node->word) || (translation && !node->translation)) {
    qx_MsgKeyWordListNode_destroy(node);
    return nullptr;
  }
  return node;
}

int qx_MsgKeyWordListNode_destroy(qx_MsgKeyWordListNode* node) {
  if (!node) return 0;
  qx_Free(node->word);
  qx_Free(node->translation);
  qx_Free(node);
  return 1;
}

qx_MsgKeyWordList* qx_MsgKeyWordList_create(void) { return qx_LnkList_create(nullptr); }

int qx_MsgKeyWordList_append(qx_MsgKeyWordList* list, const qx_wchar* word,
                             const qx_wchar* translation) {
  if (!list || !word || !translation) return 0;
  qx_MsgKeyWordListNode* node = qx_MsgKeyWordListNode_create(word, translation);
  if (node && !qx_LnkList_insEnd(list, node)) qx_MsgKeyWordListNode_destroy(node);
  return 0;
}

qx_wchar* qx_MsgKeyWordList_find(qx_MsgKeyWordList* list, const qx_wchar* word) {
  g_found[0] = 0;
  if (!word) return g_found;
  qx::port::wcopy(g_found, QX_MSG_FIND_LEN + 1, word);
  if (!list) return g_found;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_MsgKeyWordListNode*>(at->data);
    if (node && node->word && node->translation && qx_Str_cmpi(node->word, word) == 0) {
      qx::port::wcopy(g_found, QX_MSG_FIND_LEN + 1, node->translation);
      break;
    }
  }
  return g_found;
}

int qx_MsgKeyWordList_destroy(qx_MsgKeyWordList* list) {
  return qx_LnkList_destroy(list, release_node);
}

qx_MsgKeyWordList* qx_Msg_getKeyWordList(const qx_wchar* words, const qx_wchar* key) {
  if (!words || !key) return nullptr;
  u16string translated = qx::port::wstring_of(qx_Msg_pad(words, key, 1, 0));
  qx_StrList* originals = qx_StrList_fromDelimitedString(words, u",");
  if (!originals) return nullptr;
  u16string separator = translation_separator();

  qx_MsgKeyWordList* result = nullptr;
  bool one_word = qx_StrList_count(originals) <= 1;
  if (!one_word && qx_Str_index(translated.c_str(), separator.c_str(), 1) < 0) {
    result = qx_MsgKeyWordList_create();  // the translation does not fit the words
  } else {
    qx_StrList* pieces = qx_StrList_fromDelimitedString(translated.c_str(), separator.c_str());
    qx_LnkListNode* piece = pieces ? pieces->first : nullptr;
    for (qx_LnkListNode* word = originals->first; word && piece;
         word = word->next, piece = piece->next) {
      if (!result) result = qx_MsgKeyWordList_create();
      if (result)
        qx_MsgKeyWordList_append(result, static_cast<qx_StrListNode*>(word->data)->str,
                                 static_cast<qx_StrListNode*>(piece->data)->str);
    }
    qx_StrList_destroy(pieces);
  }
  qx_StrList_destroy(originals);
  if (result && tracing())
    diag_line(qx::port::wformat(u"Leaving with key word string count is %d",
                                qx_LnkList_length(result)),
              __LINE__);
  return result;
}

}  // extern "C"
