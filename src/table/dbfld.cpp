// Table field nodes and table field lists: one record's fields as text, with
// their names, types, widths and decimals.
#include <cstdarg>
#include <cstddef>

#include "core/owned_text.h"
#include "core/trace.h"
#include "dbf/field.h"
#include "dbf/table.h"
#include "port/wstr.h"
#include "qx/dbfldlist.h"
#include "qx/diag.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "table/dbfld_internal.h"

// The record is read by callers directly: its layout is the interface.
static_assert(offsetof(qx_DbFldNode, name) == 0);
static_assert(offsetof(qx_DbFldNode, value) == 64 * sizeof(qx_wchar));
static_assert(offsetof(qx_DbFldNode, width) == 64 * sizeof(qx_wchar) + sizeof(void*));
static_assert(offsetof(qx_DbFldNode, decimals) == offsetof(qx_DbFldNode, width) + 4);
static_assert(offsetof(qx_DbFldNode, type) == offsetof(qx_DbFldNode, decimals) + 4);
static_assert(sizeof(qx_DbFldNode::type) == 2);
static_assert(offsetof(qx_DbCursorNode, fldList) == 0);
static_assert(offsetof(qx_DbCursorNode, label) == sizeof(void*));

namespace qx::table {

namespace port = qx::port;

namespace {

// The white space of the value rule (qx_Str_rtb, qx_Str_rlb).
bool is_blank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

qx_wchar* trimmed_copy(std::string_view text, qx_wchar type) {
  // One pass finds both the end (a zero byte ends the text, as it ends a C
  // string) and the last character that is no white space.
  size_t end = 0;
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i)
    if (!is_blank(static_cast<unsigned char>(text[i]))) end = i + 1;
  size_t begin = 0;
  if (type == u'N' || type == u'F')
    while (begin < end && is_blank(static_cast<unsigned char>(text[begin]))) ++begin;
  auto* copy = static_cast<qx_wchar*>(qx_Malloc((end - begin + 1) * sizeof(qx_wchar)));
  if (!copy) return nullptr;
  for (size_t i = begin; i < end; ++i) copy[i - begin] = static_cast<unsigned char>(text[i]);
  copy[end - begin] = 0;
  return copy;
}

int set_value(qx_DbFldNode* node, const qx_wchar* text) {
  qx_Free(node->value);
  node->value = nullptr;
  if (!text) return 0;
  node->value = qx::wdup(text);
  qx_Str_rtb(node->value);
  if (node->type == u'N' || node->type == u'F') qx_Str_rlb(node->value);
  return 1;
}

qx_wchar node_type(int letter) {
  return port::wtoupper(static_cast<qx_wchar>(letter & 0xFFFF));
}

std::string to_ansi(const qx_wchar* text) { return text ? port::narrow(text) : std::string(); }

std::string low_bytes(const qx_wchar* text) {
  std::string out;
  for (; text && *text; ++text) out.push_back(static_cast<char>(*text & 0xFF));
  return out;
}

std::u16string from_engine(const char* text) {
  return port::widen(text ? std::string_view(text) : std::string_view());
}

std::u16string field_text(dbf::Field* field) {
  if (dbf::fldIsMemo(field)) {
    std::string contents;
    dbf::fldMemoText(field, contents);
    return from_engine(contents.c_str());
  }
  return from_engine(dbf::fldString(field));
}

int store_text(dbf::Field* field, const std::string& text) {
  if (dbf::fldIsMemo(field)) return dbf::fldAssignMemo(field, text);
  return dbf::fldAssignN(field, text.data(), text.size());
}

namespace {

// A node of the field as qx_DbFldNode_fromFld makes it, without its value:
// the name widened byte by byte and cut to 63, the type upper-cased.
qx_DbFldNode shape_of_field(dbf::Field* field) {
  qx_DbFldNode shape{};
  std::string_view name = dbf::fldName(field);
  for (size_t i = 0; i < name.size() && i + 1 < QX_DBFLD_NAME_LEN; ++i)
    shape.name[i] = static_cast<unsigned char>(name[i]);
  shape.width = dbf::fldWidth(field);
  shape.decimals = dbf::fldDecimals(field);
  shape.type = node_type(dbf::fldType(field));
  return shape;
}

// A template node filled from the field of its name, without its value:
// its own name, the field's width, decimals and type letter as the engine
// gives it; a field the table lacks is C 1 0.
qx_DbFldNode shape_of_template(const qx_DbFldNode& node, dbf::Field* field) {
  qx_DbFldNode shape{};
  port::wcopy(shape.name, QX_DBFLD_NAME_LEN, node.name);
  shape.width = field ? dbf::fldWidth(field) : 1;
  shape.decimals = field ? dbf::fldDecimals(field) : 0;
  shape.type = field ? static_cast<qx_wchar>(dbf::fldType(field)) : u'C';
  return shape;
}

// The value of a node of `type` from the field's current record: its
// record bytes, or a memo field's contents (read into `memo`); an empty
// text for no field.  Null when memory runs out.
qx_wchar* value_of(dbf::Field* field, bool memo, qx_wchar type, std::string& memo_text) {
  if (!field) return trimmed_copy({}, type);
  if (memo) {
    dbf::fldMemoText(field, memo_text);
    return trimmed_copy(memo_text, type);
  }
  // The view ends at the width: the record bytes need no length scan.
  return trimmed_copy(std::string_view(dbf::fldString(field), dbf::fldWidth(field)), type);
}

}  // namespace

RecordReader::RecordReader(dbf::Table* table, const qx_DbFldList* fields) {
  if (fields)
    for (const qx_LnkListNode* at = fields->first; at; at = at->next) {
      const auto* node = static_cast<const qx_DbFldNode*>(at->data);
      if (!node) continue;
      dbf::Field* field = dbf::dbfFieldByName(table, to_ansi(node->name).c_str());
      columns_.push_back({field, dbf::fldIsMemo(field), shape_of_template(*node, field)});
    }
  if (!columns_.empty()) return;
  int count = dbf::dbfFieldCount(table);
  columns_.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 1; i <= count; ++i) {
    dbf::Field* field = dbf::dbfFieldByNumber(table, i);
    if (field) columns_.push_back({field, dbf::fldIsMemo(field), shape_of_field(field)});
  }
}

qx_DbFldNode* RecordReader::make_node(const Column& column) const {
  auto* node = static_cast<qx_DbFldNode*>(qx_Malloc(sizeof(qx_DbFldNode)));
  if (!node) return nullptr;
  *node = column.shape;
  node->value = value_of(column.field, column.memo, node->type, memo_);
  return node;
}

void RecordReader::append_to(qx_DbFldList* list) const {
  for (const Column& column : columns_) {
    insert_new_node(qx_LnkList_insEnd, list, make_node(column));
  }
}

void RecordReader::fill(qx_DbFldList* fields) const {
  auto column = columns_.begin();
  for (qx_LnkListNode* at = fields->first; at && column != columns_.end(); at = at->next) {
    auto* node = static_cast<qx_DbFldNode*>(at->data);
    if (!node) continue;
    qx_Free(node->value);
    node->width = column->shape.width;
    node->decimals = column->shape.decimals;
    node->type = column->shape.type;
    node->value = value_of(column->field, column->memo, node->type, memo_);
    ++column;
  }
}

qx_DbFldList* RecordReader::read() const {
  qx_DbFldList* list = qx_LnkList_create(nullptr);
  if (list) append_to(list);
  return list;
}

int insert_new_node(int (*insert)(qx_LnkList*, void*), qx_DbFldList* list, qx_DbFldNode* node) {
  if (!node) return 0;
  int done = insert(list, node);
  if (!done) qx_DbFldNode_destroy(node);
  return done;
}

}  // namespace qx::table

namespace {

namespace port = qx::port;
using qx::table::set_value;

const qx::TraceFamily kDbFld{QX_DIAG_DBFLD, "Exiting", "qx_tools/SRC/DBFLD"};

// The room of the readers' result buffers (characters, terminator apart).
constexpr size_t kValueRoom = 512;
constexpr size_t kNthRoom = 260;
// The longest name qx_DbFldList_create takes.
constexpr size_t kCreateNameRoom = 71;

// A reader's result buffer: a copy cut to its room, optionally padded.
template <size_t Room>
struct ResultBuffer {
  qx_wchar text[Room + 1] = {};
  const qx_wchar* set(const qx_wchar* value) {
    port::wcopy(text, Room + 1, value ? value : u"");
    return text;
  }
  const qx_wchar* set_padded(const qx_wchar* value, int width) {
    set(value);
    qx_Str_pad(text, width < static_cast<int>(Room) ? width : static_cast<int>(Room));
    return text;
  }
};

ResultBuffer<kValueRoom> curr_str, curr_padded, curr_name, fld_val;
ResultBuffer<kNthRoom> nth_str, nth_padded;

int release_node(void* data) { return qx_DbFldNode_destroy(static_cast<qx_DbFldNode*>(data)); }

qx_DbFldNode* current(qx_DbFldList* list) {
  return static_cast<qx_DbFldNode*>(qx_LnkList_getCurr(list));
}

qx_DbFldNode* copy_node(const qx_DbFldNode* node) {
  qx_DbFldNode* copy = qx_DbFldNode_new(node->name, nullptr, node->width, node->decimals, node->type);
  // The value is copied as it is: it already keeps the value rule, and the
  // type letter may have been changed since.
  if (copy && node->value) copy->value = qx::wdup(node->value);
  return copy;
}

}  // namespace

extern "C" {

qx_DbFldNode* qx_DbFldNode_new(const qx_wchar* name, const qx_wchar* value, int width, int decimals,
                               qx_wchar type) {
  auto* node = static_cast<qx_DbFldNode*>(qx_Malloc(sizeof(qx_DbFldNode)));
  if (!node) return nullptr;
  *node = qx_DbFldNode{};
  port::wcopy(node->name, QX_DBFLD_NAME_LEN, name ? name : u"");
  node->width = width;
  node->decimals = decimals;
  node->type = qx::table::node_type(type);
  set_value(node, value);
  return node;
}

qx_DbFldNode* qx_DbFldNode_fromFld(void* field) {
  auto* f = static_cast<qx::dbf::Field*>(field);
  if (!f) return nullptr;
  auto* node = static_cast<qx_DbFldNode*>(qx_Malloc(sizeof(qx_DbFldNode)));
  if (!node) return nullptr;
  *node = qx::table::shape_of_field(f);
  std::string memo;
  node->value = qx::table::value_of(f, qx::dbf::fldIsMemo(f), node->type, memo);
  return node;
}

int qx_DbFldNode_destroy(qx_DbFldNode* node) {
  QX_TRACE(kDbFld, u"qx_DbFldNode_destroy");
  if (!node) QX_RETURN(0);
  qx_Free(node->value);
  qx_Free(node);
  QX_RETURN(1);
}

qx_DbFldList* qx_DbFldList_create(const qx_wchar* name, ...) {
  qx_DbFldList* list = qx_LnkList_create(nullptr);
  if (!list) return nullptr;
  va_list args;
  va_start(args, name);
  for (const qx_wchar* n = name; n; n = va_arg(args, const qx_wchar*)) {
    const qx_wchar* v = va_arg(args, const qx_wchar*);
    qx_wchar upper[kCreateNameRoom + 1];
    port::wupr(port::wcopy(upper, sizeof upper / sizeof *upper, n));
    qx_wchar value[kValueRoom + 1];
    port::wcopy(value, kValueRoom + 1, v ? v : u"");
    qx_DbFldList_insEnd(list, upper, value, 0, 0, u'C');
  }
  va_end(args);
  return list;
}

qx_DbFldList* qx_DbFldList_copy(qx_DbFldList* list) {
  if (!list) return nullptr;
  qx_DbFldList* copy = qx_LnkList_create(nullptr);
  if (!copy) return nullptr;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_DbFldNode*>(at->data);
    if (!node) continue;
    qx_DbFldNode* twin = copy_node(node);
    if (!twin || !qx_LnkList_insEnd(copy, twin)) {
      qx_DbFldNode_destroy(twin);
      qx_DbFldList_destroy(copy);
      return nullptr;
    }
  }
  return copy;
}

void qx_DbFldList_destroy(qx_DbFldList* list) {
  if (list) qx_LnkList_destroy(list, release_node);
}

void qx_DbFldList_freeValues(qx_DbFldList* list) {
  if (!list) return;
  for (qx_LnkListNode* at = list->first; at; at = at->next)
    if (auto* node = static_cast<qx_DbFldNode*>(at->data)) set_value(node, nullptr);
}

int qx_DbFldList_insStart(qx_DbFldList* list, const qx_wchar* name, const qx_wchar* value,
                          int width, int decimals, qx_wchar type) {
  return qx::table::insert_new_node(qx_LnkList_insStart, list,
                                    qx_DbFldNode_new(name, value, width, decimals, type));
}

int qx_DbFldList_insEnd(qx_DbFldList* list, const qx_wchar* name, const qx_wchar* value,
                        int width, int decimals, qx_wchar type) {
  return qx::table::insert_new_node(qx_LnkList_insEnd, list,
                                    qx_DbFldNode_new(name, value, width, decimals, type));
}

int qx_DbFldList_find(qx_DbFldList* list, const qx_wchar* name) {
  if (!list || !name) return 0;
  // The sought name is upper-cased, the stored ones are not: a name stored
  // in small letters is found only by findFld.
  qx_wchar upper[QX_DBFLD_NAME_LEN + 1];
  port::wupr(port::wcopy(upper, sizeof upper / sizeof *upper, name));
  if (port::wlen(name) > QX_DBFLD_NAME_LEN) return 0;  // no stored name is that long
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<qx_DbFldNode*>(at->data);
    if (node && port::wcmp(node->name, upper) == 0) {
      list->current = at;
      return 1;
    }
  }
  return 0;
}

qx_DbFldNode* qx_DbFldList_findFld(qx_DbFldList* list, const qx_wchar* name) {
  if (!list || !name) return nullptr;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<qx_DbFldNode*>(at->data);
    if (node && qx_Str_cmpi(node->name, name) == 0) {
      list->current = at;
      return node;
    }
  }
  return nullptr;
}

qx_DbFldNode* qx_DbFldList_getCurrFld(qx_DbFldList* list) { return current(list); }

const qx_wchar* qx_DbFldList_getCurrName(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return curr_name.set(node ? node->name : nullptr);
}

qx_wchar qx_DbFldList_getCurrType(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return node ? node->type : u'C';
}

int qx_DbFldList_getCurrWidth(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return node ? node->width : 0;
}

int qx_DbFldList_getCurrPrec(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return node ? node->decimals : 0;
}

const qx_wchar* qx_DbFldList_getCurrStr(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return curr_str.set(node ? node->value : nullptr);
}

const qx_wchar* qx_DbFldList_getCurrStrPadded(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return curr_padded.set_padded(node ? node->value : nullptr, node ? node->width : 0);
}

double qx_DbFldList_getCurrDouble(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return port::wtof(node && node->value ? node->value : u"");
}

int qx_DbFldList_getCurrInt(qx_DbFldList* list) {
  qx_DbFldNode* node = current(list);
  return port::wtoi(node && node->value ? node->value : u"");
}

int qx_DbFldList_modCurrVal(qx_DbFldList* list, const qx_wchar* text) {
  qx_DbFldNode* node = current(list);
  return node ? set_value(node, text) : 0;
}

int qx_DbFldList_modCurrWidth(qx_DbFldList* list, int width) {
  qx_DbFldNode* node = current(list);
  if (!node) return 0;
  int old = node->width;
  node->width = width;
  return old;
}

int qx_DbFldList_modCurrPrec(qx_DbFldList* list, int decimals) {
  qx_DbFldNode* node = current(list);
  if (!node) return 0;
  int old = node->decimals;
  node->decimals = decimals;
  return old;
}

const qx_wchar* qx_DbFldList_getNthStr(qx_DbFldList* list, int n) {
  if (!list || !qx_LnkList_getNth(list, n)) return nth_str.set(nullptr);
  return nth_str.set(qx_DbFldList_getCurrStr(list));
}

const qx_wchar* qx_DbFldList_getNthStrPadded(qx_DbFldList* list, int n) {
  if (!list || !qx_LnkList_getNth(list, n)) return nth_padded.set(nullptr);
  return nth_padded.set(qx_DbFldList_getCurrStrPadded(list));
}

int qx_DbFldList_modNthVal(qx_DbFldList* list, int n, const qx_wchar* text) {
  if (!list || !qx_LnkList_getNth(list, n)) return 0;
  return qx_DbFldList_modCurrVal(list, text);
}

const qx_wchar* qx_DbFldList_getFldVal(qx_DbFldList* list, const qx_wchar* name) {
  qx_DbFldNode* node = qx_DbFldList_findFld(list, name);
  return fld_val.set(node ? node->value : nullptr);
}

int qx_DbFldList_modFldVal(qx_DbFldList* list, const qx_wchar* name, const qx_wchar* text) {
  qx_DbFldNode* node = qx_DbFldList_findFld(list, name);
  return node ? set_value(node, text) : 0;
}

int qx_DbFldList_delCurr(qx_DbFldList* list) { return qx_LnkList_delCurr(list, release_node); }

int qx_DbFldList_delFld(qx_DbFldList* list, const qx_wchar* name) {
  if (!list || !name || !qx_DbFldList_find(list, name)) return 0;
  qx_LnkList_delCurr(list, release_node);
  return 1;
}

void qx_DbFldList_printList(qx_DbFldList* list) {
  if (!list) return;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_DbFldNode*>(at->data);
    if (!node) continue;
    port::wfprintf(stdout, u"%-16s ", node->name);
    if (node->value) port::wfprintf(stdout, u"%c:%s\n", node->type, node->value);
  }
}

int qx_DbFldList_start(qx_DbFldList* list) { return qx_LnkList_start(list); }
int qx_DbFldList_next(qx_DbFldList* list) { return qx_LnkList_next(list); }
int qx_DbFldList_prev(qx_DbFldList* list) { return qx_LnkList_prev(list); }
int qx_DbFldList_eol(qx_DbFldList* list) { return qx_LnkList_eol(list); }
int qx_DbFldList_length(qx_DbFldList* list) { return qx_LnkList_length(list); }

}  // extern "C"
