// Creating, opening and closing tables, moving through their records and
// finding their fields.
#include "dbf/table_internal.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/journal.h"

namespace qx::dbf {

namespace {

ProductionIndexOpener g_index_opener = nullptr;
ProductionIndexCreator g_index_creator = nullptr;
// Naming the compound-index module links it with every program that opens
// tables, so that its hooks are installed even from the static archive.
[[gnu::used]] void (*const g_index_module)() = &installCompoundIndex;

bool is_memo_type(char type) { return type == 'M' || type == 'G' || type == 'B'; }

// The version's high bit announces the memo file; tables of versions 0x30
// to 0x32 announce it with bit 0x02 of the table flags instead.
bool has_memo_file(const unsigned char* header) {
  if (header[0] & 0x80) return true;
  return header[0] >= 0x30 && header[0] <= 0x32 && (header[28] & 0x02);
}

// Tables of versions 0x30 to 0x32 and tables with the binary field types
// (integer, currency, double, date-time, time stamp, null flags) are read
// but not written: a value stored as text there would be read back as a
// different number, or mark fields null.
const char* write_refusal_of(const Table* t) {
  static const char kWhy[] =
      "Table with binary fields (version 0x30 to 0x32) is read only: its values would be stored "
      "wrongly";
  if (t->header[0] >= 0x30 && t->header[0] <= 0x32) return kWhy;
  for (const Field& f : t->fields)
    if (f.type != 0 && std::strchr("IYT@0", f.type)) return kWhy;
  return nullptr;
}

// The memo file of a dBASE III table (version 0x83) has the extension DBT
// and its own layout; later tables keep their memos in an FPT file.
bool has_dbt_memo(const unsigned char* header) { return header[0] == 0x83; }

// Where the extension of the last path component starts, or npos.
size_t extension_start(const std::string& name) {
  size_t slash = name.find_last_of("/\\:");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

bool has_lower(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::islower(c); });
}

std::string case_like(const std::string& model, const char* ext) {
  std::string e = ext;
  bool lower = has_lower(model);
  for (char& c : e)
    c = static_cast<char>(lower ? std::tolower(static_cast<unsigned char>(c))
                                : std::toupper(static_cast<unsigned char>(c)));
  return e;
}

// Field descriptors of the header: up to the terminator 0x0D, which must
// stand at a descriptor boundary within the header.
bool parse_descriptors(Table* t, const unsigned char* area, size_t size) {
  size_t pos = 0;
  for (;;) {
    if (pos >= size) return false;  // no terminator
    if (area[pos] == kHeaderEnd) break;
    if (pos + kDescriptorSize > size) return false;
    const unsigned char* d = area + pos;
    Field f;
    size_t len = 0;
    while (len < 10 && d[len]) ++len;
    std::memcpy(f.name, d, len);
    f.name[len] = 0;
    f.type = static_cast<char>(d[11]);
    switch (f.type) {
      case 'N': case 'F': case 'L': case 'D':
      // The binary types of later tables (integer, currency, date-time,
      // time stamp, null flags) also keep width and decimals apart, so
      // their tables open and their fields read as stored.
      case 'I': case 'Y': case 'T': case '@': case '0':
        f.width = d[16];
        f.decimals = d[17];
        break;
      case 'M': case 'G': case 'B':
        f.width = d[16];
        f.decimals = 0;
        break;
      default:
        f.width = d[16] + 256u * d[17];
        f.decimals = 0;
        break;
    }
    t->fields.push_back(f);
    pos += kDescriptorSize;
  }
  return true;
}

// Builds the table from the header bytes; -200 when they do not describe a
// table, -70 when the file is shorter than its header.
int read_structure(Table* t) {
  int64_t n = file_read(t->file, 0, t->header, kHeaderSize);
  if (n < 0) return static_cast<int>(n);
  if (n < kHeaderSize) return report_error(t->engine, kErrRead, t->name.c_str());
  t->header_length = coding::get16le(t->header + 8);
  t->record_length = coding::get16le(t->header + 10);
  if (t->header_length <= kHeaderSize) return report_error(t->engine, kErrData, t->name.c_str());
  std::vector<unsigned char> area(t->header_length - kHeaderSize);
  int rc = file_read_all(t->file, kHeaderSize, area.data(), area.size());
  if (rc != 0) return rc;
  if (!parse_descriptors(t, area.data(), area.size()))
    return report_error(t->engine, kErrData, t->name.c_str());
  unsigned long length = 1;
  unsigned offset = 1;
  for (Field& f : t->fields) {
    f.offset = offset;
    offset += f.width;
    length += f.width;
  }
  if (length != t->record_length) return report_error(t->engine, kErrData, t->name.c_str());
  return 0;
}

void link_fields(Table* t) {
  t->memos.clear();
  for (size_t i = 0; i < t->fields.size(); ++i) {
    Field& f = t->fields[i];
    f.table = t;
    f.memo = -1;
    if (is_memo_type(f.type)) {
      f.memo = static_cast<int>(t->memos.size());
      MemoEntry m;
      m.field = static_cast<int>(i);
      t->memos.push_back(m);
    }
  }
}

void register_table(Engine* e, std::unique_ptr<Table> t) { e->tables.push_back(std::move(t)); }

// Releases a table that never became part of the context.
void discard(Table* t) {
  for (auto& ix : t->indexes) ix->close();
  if (t->memo) memo_close(*t->memo);
  file_close(t->file);
}

int go_eof(Table* t, long count) {
  t->rec_no = count + 1;
  t->eof = true;
  t->bof = count == 0;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  t->old_rec_no = 0;
  t->record_changed = false;
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, false, false};
  return kEof;
}

// A move begins by writing a changed record and releasing its lock.
int leave_record(Table* t) {
  int rc = flush_record(t);
  if (rc != 0) return rc;
  return unlock_records(t);
}

int move_to(Table* t, long n) {
  int rc = read_record(t, n);
  if (rc == 0) {
    t->eof = false;
    t->bof = false;
  }
  return rc;
}

// Records in the selected tag's order.
int ordered_end(Table* t, bool last) {
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  long n = 0;
  int rc = last ? t->selected->last(*t, &n) : t->selected->first(*t, &n);
  if (rc != 0) return rc;
  if (n == 0) return go_eof(t, count);
  return move_to(t, n);
}

int ordered_skip(Table* t, long count, long n) {
  TagOrder* order = t->selected;
  long from = t->rec_no, to = 0;
  bool off_start = false;
  int rc = 0;
  if (from > count) {
    // From the end of file, a backward step starts at the order's last record.
    if (n < 0) rc = order->last(*t, &to);
    if (rc == 0 && to > 0 && n + 1 != 0) rc = order->step(*t, to, n + 1, &to, &off_start);
  } else {
    to = from;
    if (n != 0) rc = order->step(*t, from, n, &to, &off_start);
  }
  if (rc != 0) return rc;
  if (to == 0 && off_start) {
    rc = order->first(*t, &to);
    if (rc != 0) return rc;
    if (to == 0) return go_eof(t, count);
    rc = move_to(t, to);
    t->bof = true;
    return rc == 0 ? kBof : rc;
  }
  if (to == 0) return go_eof(t, count);
  return move_to(t, to);
}

}  // namespace

void set_production_index_opener(ProductionIndexOpener opener) { g_index_opener = opener; }
ProductionIndexOpener production_index_opener() { return g_index_opener; }
void set_production_index_creator(ProductionIndexCreator creator) { g_index_creator = creator; }

int set_production_index_flag(Table* t, bool on) {
  if (!t) return -1;
  unsigned char flags = on ? t->header[28] | kFlagProductionIndex
                           : t->header[28] & ~kFlagProductionIndex;
  int rc = file_write(t->file, 28, &flags, 1);
  if (rc != 0) return rc;
  t->header[28] = flags;
  t->production_index = on;
  t->file_changed = true;
  return 0;
}

std::string with_extension(const std::string& name, const char* ext) {
  if (extension_start(name) != std::string::npos) return name;
  size_t slash = name.find_last_of("/\\:");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  return name + "." + case_like(base, ext);
}

std::string replace_extension(const std::string& name, const char* ext) {
  size_t dot = extension_start(name);
  if (dot == std::string::npos) return with_extension(name, ext);
  return name.substr(0, dot + 1) + case_like(name.substr(dot + 1), ext);
}

Table* dbfOpen(Engine* e, const char* name) {
  if (!e || !name || in_error(e)) return nullptr;
  auto t = std::make_unique<Table>();
  t->engine = e;
  t->name = with_extension(name, "dbf");
  e->failedFile.clear();
  // A pack that crashed left its journal: the table is put back first.
  if (journal_exists(t->name) && journal_recover(e, t->name) != 0) return nullptr;
  if (file_open(e, t->file, t->name) != 0) return nullptr;
  if (read_structure(t.get()) != 0) {
    discard(t.get());
    return nullptr;
  }
  t->record.assign(t->record_length + 1, ' ');
  t->record_old.assign(t->record_length + 1, ' ');
  t->record.back() = 0;
  t->record_old.back() = 0;
  link_fields(t.get());
  t->production_index = (t->header[28] & kFlagProductionIndex) != 0;
  t->write_refusal = write_refusal_of(t.get());
  if (has_memo_file(t->header)) {
    t->memo = std::make_unique<MemoFile>();
    t->memo->dbt = has_dbt_memo(t->header);
    std::string memo_name = replace_extension(t->name, t->memo->dbt ? "dbt" : "fpt");
    if (memo_open(e, *t->memo, memo_name) != 0) {
      e->failedFile = memo_name;
      discard(t.get());
      return nullptr;
    }
  }
  if (t->production_index && e->autoOpenProductionIndex && g_index_opener) {
    IndexFile* ix = g_index_opener(*t);
    if (!ix) {
      discard(t.get());
      return nullptr;
    }
    t->indexes.emplace_back(ix);
  }
  Table* result = t.get();
  register_table(e, std::move(t));
  return result;
}

Table* dbfCreate(Engine* e, const char* name, const FieldInfo* fields, const TagInfo* tags) {
  if (!e || !name || !fields || in_error(e)) return nullptr;
  std::string fileName = with_extension(name, "dbf");
  size_t count = 0;
  unsigned long record_length = 1;
  bool memo = false;
  for (const FieldInfo* f = fields; f->name; ++f, ++count) {
    char type = static_cast<char>(std::toupper(f->type & 0xFF));
    unsigned w, d;
    normalise_field(type, f->width, f->decimals, &w, &d);
    record_length += w;
    memo = memo || is_memo_type(type);
  }
  if (record_length >= 65535) {
    report_error(e, kErrRecordLength, fileName.c_str());
    return nullptr;
  }
  if (kDescriptorSize * count + 34 >= 65535) {
    report_error(e, kErrCreate, "Too Many Fields", fileName.c_str());
    return nullptr;
  }
  bool withTags = tags && tags->name;
  if (withTags && !g_index_creator) {
    report_error(e, kErrNoIndexSupport, fileName.c_str());
    return nullptr;
  }

  unsigned header_length = static_cast<unsigned>(kDescriptorSize * (count + 1) + 1);
  std::vector<unsigned char> image(header_length + 1, 0);
  port::LocalDate today = port::local_date();
  image[0] = memo ? kVersionMemo : kVersionPlain;
  image[1] = static_cast<unsigned char>(today.year - 1900);
  image[2] = static_cast<unsigned char>(today.month);
  image[3] = static_cast<unsigned char>(today.day);
  coding::put16le(&image[8], static_cast<uint16_t>(header_length));
  coding::put16le(&image[10], static_cast<uint16_t>(record_length));
  unsigned char* d = &image[kHeaderSize];
  for (const FieldInfo* f = fields; f->name; ++f, d += kDescriptorSize) {
    size_t len = std::min<size_t>(std::strlen(f->name), 10);
    while (len > 0 && f->name[len - 1] == ' ') --len;
    for (size_t i = 0; i < len; ++i)
      d[i] = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(f->name[i])));
    char type = static_cast<char>(std::toupper(f->type & 0xFF));
    d[11] = static_cast<unsigned char>(type);
    unsigned w, dec;
    normalise_field(type, f->width, f->decimals, &w, &dec);
    if (type == 'C') {
      d[16] = static_cast<unsigned char>(w & 0xFF);
      d[17] = static_cast<unsigned char>(w >> 8);
    } else {
      d[16] = static_cast<unsigned char>(w);
      d[17] = static_cast<unsigned char>(dec);
    }
  }
  image[header_length - 1] = kHeaderEnd;
  image[header_length] = kEofMarker;

  File file;
  if (file_create(e, file, fileName) != 0) return nullptr;
  int rc = file_write(file, 0, image.data(), image.size());
  if (rc == 0 && memo) {
    MemoFile m;
    rc = memo_create(e, m, replace_extension(fileName, "fpt"));
    memo_close(m);
  }
  file_close(file);
  if (rc != 0) {
    // The half-made table was created by this call: take it away again.
    port::delete_file(native_name(fileName));
    return nullptr;
  }
  Table* t = dbfOpen(e, fileName.c_str());
  if (!t || !withTags) return t;
  IndexFile* ix = g_index_creator(*t, tags);
  if (!ix) {
    dbfClose(t);
    return nullptr;
  }
  t->indexes.emplace_back(ix);
  return t;
}

int dbfClose(Table* t) {
  if (!t) return -1;
  Engine* e = t->engine;
  int saved = e->lastError;
  e->lastError = 0;
  int first = 0;
  auto note = [&first](int rc) {
    if (rc < 0 && first == 0) first = rc;
  };
  if (saved == kErrUnique) t->record_changed = false;
  note(flush_record(t));
  if (t->file_changed && !t->file.read_only) {
    unsigned char stamp[4];
    port::LocalDate today = port::local_date();
    stamp[0] = t->header[0];
    stamp[1] = static_cast<unsigned char>(today.year - 1900);
    stamp[2] = static_cast<unsigned char>(today.month);
    stamp[3] = static_cast<unsigned char>(today.day);
    note(file_write(t->file, 0, stamp, sizeof stamp));
    // Closing reports success only once the changes are on the disk.
    note(file_sync(t->file));
    if (t->memo) note(file_sync(t->memo->file));
    note(sync_index_files(t));
  }
  note(unlock_all(t));
  for (auto& ix : t->indexes) note(ix->close());
  t->indexes.clear();
  t->selected = nullptr;
  if (t->memo) note(memo_close(*t->memo));
  note(file_close(t->file));
  e->lastError = first ? first : saved;
  e->tables.remove_if([t](const std::unique_ptr<Table>& p) { return p.get() == t; });
  return first;
}

namespace {

// Reads record n into the record buffer (one system call for a shared
// table); true when it came back whole.
bool fetch_record(Table* t, long n) {
  if (n < 1) return false;
  uint64_t offset = t->header_length + static_cast<uint64_t>(n - 1) * t->record_length;
  return file_read_quiet(t->file, offset, t->record.data(), t->record_length) ==
         static_cast<int64_t>(t->record_length);
}

// Makes the fetched record n current, or, when it did not come back whole,
// leaves the table without a current record: 0, 5 or -70.
int take_record(Table* t, long n, bool whole) {
  Engine* e = t->engine;
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, false, false};
  t->record_changed = false;
  if (!whole) {
    std::fill(t->record.begin(), t->record.end() - 1, ' ');
    t->rec_no = 0;
    t->old_rec_no = 0;
    if (!e->reportReadFailure) return kShortRead;
    return report_error(e, kErrRead, t->name.c_str());
  }
  t->rec_no = n;
  std::copy(t->record.begin(), t->record.end(), t->record_old.begin());
  t->old_rec_no = n;
  t->count_when_read = static_cast<long>(coding::get32le(t->header + 4));
  return 0;
}

// The record count as last read from the header, or as last written there.
long count_last_read(const Table* t) { return static_cast<long>(coding::get32le(t->header + 4)); }

// The record count that a move to record n in record-number order goes by.
// A shared table keeps the count it read last while that count covers n:
// other processes add records, and a record once counted stays, so the
// header is read again only for a record beyond it.  A read of one record is
// then one system call.  While the table holds a lock, or has the file to
// itself, dbfRecordCount's own rule applies.  `*fresh` is false when the
// count was kept.
long count_for(Table* t, long n, bool* fresh) {
  long last = count_last_read(t);
  *fresh = count_is_stable(t) || n < 1 || n > last;
  return *fresh ? dbfRecordCount(t) : last;
}

// Moves to record n, counted by count_for().  A record that does not come
// back whole although a kept count covered it was taken away meanwhile (a
// pack elsewhere): the move is decided again by the count read afresh, which
// puts it at the end of file.
int move_counted(Table* t, long n, bool fresh) {
  bool whole = fetch_record(t, n);
  if (!whole && !fresh) {
    long count = dbfRecordCount(t);
    if (count >= 0 && n > count) return go_eof(t, count);
  }
  int rc = take_record(t, n, whole);
  if (rc == 0) {
    t->eof = false;
    t->bof = false;
  }
  return rc;
}

}  // namespace

int read_record(Table* t, long n) { return take_record(t, n, fetch_record(t, n)); }

int dbfTop(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  int rc = leave_record(t);
  if (rc != 0) return rc;
  if (t->selected) return ordered_end(t, false);
  bool fresh = true;
  long count = count_for(t, 1, &fresh);
  if (count < 0) return -1;
  if (count == 0) return go_eof(t, 0);
  return move_counted(t, 1, fresh);
}

int dbfBottom(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  int rc = leave_record(t);
  if (rc != 0) return rc;
  if (t->selected) return ordered_end(t, true);
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  if (count == 0) return go_eof(t, 0);
  return move_to(t, count);
}

int dbfSkip(Table* t, long n) {
  if (!t || in_error(t->engine)) return -1;
  Engine* e = t->engine;
  bool fresh = true;
  long count = t->selected ? dbfRecordCount(t)
                           : count_for(t, std::max(t->rec_no, t->rec_no + n), &fresh);
  if (count < 0) return -1;
  bool valid = t->rec_no >= 1 && (t->rec_no <= count || (t->eof && t->rec_no == count + 1));
  if (!valid) {
    if (!e->reportSkipFailure) return -1;
    return report_error(e, kErrInfo, "Skip must be made from valid record number");
  }
  int rc = leave_record(t);
  if (rc != 0) return rc;
  if (t->selected) return ordered_skip(t, count, n);
  long from = t->rec_no;
  long target = from + n;
  if (target > count) return go_eof(t, count);
  if (target < 1) {
    if (count == 0) return go_eof(t, 0);
    rc = move_counted(t, 1, fresh);
    if (t->eof) return rc;
    t->bof = true;
    return rc == 0 ? kBof : rc;
  }
  return move_counted(t, target, fresh);
}

int dbfGo(Table* t, long n) {
  if (!t || in_error(t->engine)) return -1;
  int rc = leave_record(t);
  if (rc != 0) return rc;
  bool fresh = true;  // either way: a record past the count reads short
  long count = count_for(t, n, &fresh);
  if (count < 0) return -1;
  // Past the count, the read of record 0 leaves no current record (5 or -70).
  return move_to(t, n >= 1 && n <= count ? n : 0);
}

int dbfGoEof(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  int rc = leave_record(t);
  if (rc != 0) return rc;
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  return go_eof(t, count);
}

int dbfEof(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  return t->eof ? 1 : 0;
}

int dbfBof(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  return t->bof ? 1 : 0;
}

// While the table holds the append or whole-file lock, or has its file to
// itself, no one else can change the count: the value read first is kept.
bool count_is_stable(const Table* t) { return t->file_locked || t->append_locked || t->file.exclusive; }

long dbfRecordCount(Table* t) {
  if (!t) return -1;
  if (t->locked_count >= 0 && count_is_stable(t)) return t->locked_count;
  unsigned char bytes[4];
  // Through the file layer, which first writes out a held-back header.
  if (file_read_quiet(t->file, 4, bytes, 4) != 4) return -1;
  uint32_t count = coding::get32le(bytes);
  std::memcpy(t->header + 4, bytes, 4);
  if (count_is_stable(t)) t->locked_count = static_cast<long>(count);
  return static_cast<long>(count);
}

long dbfRecordNumber(Table* t) { return t ? t->rec_no : -1; }

TableHeader dbfHeader(Table* t) {
  TableHeader h;
  if (!t) return h;
  h.version = t->header[0];
  h.year = 1900 + t->header[1];
  h.month = t->header[2];
  h.day = t->header[3];
  h.header_length = t->header_length;
  h.record_length = t->record_length;
  h.flags = t->header[28];
  h.production_index = t->production_index;
  h.memo_file = t->memo != nullptr;
  return h;
}

const char* dbfName(Table* t) { return t ? t->name.c_str() : ""; }

void dbfAbandonChanges(Table* t) {
  if (!t) return;
  if (t->old_rec_no == t->rec_no && t->rec_no > 0)
    std::copy(t->record_old.begin(), t->record_old.end(), t->record.begin());
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, false, false};
  t->record_changed = false;
}

int dbfDeleted(Table* t) { return t && t->record[0] != ' ' ? 1 : 0; }

void dbfDelete(Table* t) {
  if (!t || t->record[0] == '*') return;
  t->record[0] = '*';
  t->record_changed = true;
}

void dbfRecall(Table* t) {
  if (!t || t->record[0] == ' ') return;
  t->record[0] = ' ';
  t->record_changed = true;
}

void dbfBlank(Table* t) {
  if (!t) return;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, true, true};
  t->record_changed = true;
}

int dbfFieldCount(Table* t) { return t ? static_cast<int>(t->fields.size()) : 0; }

Field* dbfFieldByNumber(Table* t, int number) {
  if (!t || number < 1 || static_cast<size_t>(number) > t->fields.size()) return nullptr;
  return &t->fields[static_cast<size_t>(number - 1)];
}

Field* dbfFieldByName(Table* t, const char* name) {
  if (!t || !name) return nullptr;
  std::string wanted(name, strnlen(name, 256));
  while (!wanted.empty() && wanted.back() == ' ') wanted.pop_back();
  for (char& c : wanted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (Field& f : t->fields)
    if (wanted == f.name) return &f;
  if (t->engine->reportFieldNameFailure) report_error(t->engine, kErrFieldName, wanted.c_str());
  return nullptr;
}

long memo_block_of(const Field* f) {
  const char* p = &f->table->record[f->offset];
  if (f->width == 4) {  // a binary block number
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<long>(coding::get32le(b));
  }
  return textToLong(p, static_cast<int>(f->width));
}

void set_memo_block(Field* f, long block) {
  char* p = &f->table->record[f->offset];
  if (f->width == 4) {
    coding::put32le(p, static_cast<uint32_t>(block));
  } else if (block > 0) {
    fixed_width(p, block, static_cast<int>(f->width));
  } else {
    std::memset(p, ' ', f->width);
  }
}

int fldMemoText(Field* f, std::string& contents) {
  contents.clear();
  if (!f || f->memo < 0) return 0;
  Table* t = f->table;
  MemoEntry& m = t->memos[static_cast<size_t>(f->memo)];
  if (!m.loaded) {
    long block = memo_block_of(f);
    int rc = t->memo ? memo_read(*t->memo, block, m.contents) : 0;
    if (rc != 0) return rc;
    m.loaded = true;
  }
  contents = m.contents;
  return 0;
}

int fldAssignMemo(Field* f, const std::string& contents) {
  if (!f || f->memo < 0) return -1;
  Table* t = f->table;
  if (in_error(t->engine)) return -1;
  MemoEntry& m = t->memos[static_cast<size_t>(f->memo)];
  m.contents = contents;
  m.loaded = true;
  m.changed = true;
  t->record_changed = true;
  return 0;
}

}  // namespace qx::dbf
