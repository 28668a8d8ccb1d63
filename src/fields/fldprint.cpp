// Printing a field list, one line per field: to standard output, or through
// the diagnostics facility under a level and a condition mask.  Nested lists
// follow their field, indented by level.
#include <cstdio>
#include <string>

#include "fields/field_internal.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"

namespace qx::fields {

namespace {

// The source the diagnostics lines name, as the rest of the family's do.
constexpr const qx_wchar* kSourcePath = u"qx_tools/SRC/FLD";
// The one buffer every diagnostics line is composed in.
constexpr size_t kDiagLineCap = 260;
qx_wchar diag_line[kDiagLineCap];

// Level 0 names the field, padded to 16 and a blank; deeper levels put 17
// blanks in its place and three more for each level below the first.
std::u16string prefix_of(const qx_FldNode* node, int level) {
  if (level <= 0) return port::wformat(u"%-16s ", node->name);
  return std::u16string(17 + 3 * static_cast<size_t>(level - 1), u' ');
}

// The value after the prefix: "%c:%s", "%c:%d", "%c:%ld", "%c:%f" or
// "%c:%.3f %.3f %.3f"; "<undefined>" for a type that has no text form.
std::u16string value_text(const qx_FldNode* node) {
  const qx_FldValue& v = node->value;
  qx_wchar t = node->type;
  if (is_text_type(t)) return port::wformat(u"%c:%s", t, v.text);
  if (t == 'I') return port::wformat(u"%c:%d", t, v.integer);
  if (t == 'L') return port::wformat(u"%c:%ld", t, static_cast<long>(v.integer));
  if (t == 'N') return port::wformat(u"%c:%f", t, v.real);
  if (is_point_type(t))
    return port::wformat(u"%c:%.3f %.3f %.3f", t, v.point.x, v.point.y, v.point.z);
  return u"<undefined>";
}

// A text field without text prints no value at all, not even a line end.
bool has_no_value(const qx_FldNode* node) { return is_text_type(node->type) && !node->value.text; }

// Visits each named field of the list (cursor left past the end) with its
// prefix; `line` writes one field, `nested` goes one level down.
template <typename Line, typename Nested>
void walk_printing(qx_FldList* list, int level, Line line, Nested nested) {
  if (!list) return;
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    const qx_FldNode* node = current(list);
    if (!node || !node->name) continue;
    std::u16string prefix = prefix_of(node, level);
    if (node->type == 'V') {
      line(prefix, nullptr);
      nested(node->value.list, level + 1);
    } else {
      line(prefix, node);
    }
  }
}

void print_to_stdout(qx_FldList* list, int level) {
  walk_printing(
      list, level,
      [](const std::u16string& prefix, const qx_FldNode* node) {
        port::wfprintf(stdout, u"%s", prefix.c_str());
        if (!node)
          port::wfprintf(stdout, u"\n");
        else if (!has_no_value(node))
          port::wfprintf(stdout, u"%s\n", value_text(node).c_str());
      },
      print_to_stdout);
}

bool diag_lets_through(int diag_level, int mask) {
  return qx_Diag_getLevel() >= diag_level && (qx_Diag_getCondition() & static_cast<uint32_t>(mask));
}

void print_to_diag(qx_FldList* list, int level, int diag_level, int mask) {
  walk_printing(
      list, level,
      [&](const std::u16string& prefix, const qx_FldNode* node) {
        if (node && has_no_value(node)) return;
        std::u16string text = node ? prefix + value_text(node) : prefix;
        port::wcopy(diag_line, kDiagLineCap, text);
        if (diag_lets_through(diag_level, mask))
          qx_Diag_putOutputMsg(diag_line, kSourcePath, __LINE__);
      },
      [&](qx_FldList* nested, int deeper) { print_to_diag(nested, deeper, diag_level, mask); });
}

}  // namespace

}  // namespace qx::fields

extern "C" {

void qx_FldList_printList(qx_FldList* list) { qx::fields::print_to_stdout(list, 0); }

void qx_FldList_printLevelList(qx_FldList* list, int level) {
  qx::fields::print_to_stdout(list, level);
}

void qx_FldList_printListDiag(qx_FldList* list, int diagLevel, int mask) {
  qx::fields::print_to_diag(list, 0, diagLevel, mask);
}

void qx_FldList_printLevelListDiag(qx_FldList* list, int level, int diagLevel, int mask) {
  qx::fields::print_to_diag(list, level, diagLevel, mask);
}

}  // extern "C"
