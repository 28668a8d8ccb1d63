// Creating, opening and closing tables, moving through their records and
// finding their fields.
#include "dbf/table.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "dbf/error.h"

namespace qx::dbf {

namespace {

ProductionIndexOpener g_indexOpener = nullptr;
ProductionIndexCreator g_indexCreator = nullptr;

unsigned get16(const unsigned char* p) { return p[0] | (unsigned{p[1]} << 8); }
uint32_t get32(const unsigned char* p) {
  return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
void put16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

bool isMemoType(char type) { return type == 'M' || type == 'G' || type == 'B'; }

// The version's high bit announces the memo file; tables of versions 0x30
// to 0x32 announce it with bit 0x02 of the table flags instead.
bool hasMemoFile(const unsigned char* header) {
  if (header[0] & 0x80) return true;
  return header[0] >= 0x30 && header[0] <= 0x32 && (header[28] & 0x02);
}

// Where the extension of the last path component starts, or npos.
size_t extensionStart(const std::string& name) {
  size_t slash = name.find_last_of("/\\:");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

bool hasLower(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::islower(c); });
}

std::string caseLike(const std::string& model, const char* ext) {
  std::string e = ext;
  bool lower = hasLower(model);
  for (char& c : e)
    c = static_cast<char>(lower ? std::tolower(static_cast<unsigned char>(c))
                                : std::toupper(static_cast<unsigned char>(c)));
  return e;
}

// Field descriptors of the header: up to the terminator 0x0D, which must
// stand at a descriptor boundary within the header.
bool parseDescriptors(Table* t, const unsigned char* area, size_t size) {
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
int readStructure(Table* t) {
  int64_t n = fileRead(t->file, 0, t->header, kHeaderSize);
  if (n < 0) return static_cast<int>(n);
  if (n < kHeaderSize) return reportError(t->engine, kErrRead, t->name.c_str());
  t->headerLength = get16(t->header + 8);
  t->recordLength = get16(t->header + 10);
  if (t->headerLength <= kHeaderSize) return reportError(t->engine, kErrData, t->name.c_str());
  std::vector<unsigned char> area(t->headerLength - kHeaderSize);
  int rc = fileReadAll(t->file, kHeaderSize, area.data(), area.size());
  if (rc != 0) return rc;
  if (!parseDescriptors(t, area.data(), area.size()))
    return reportError(t->engine, kErrData, t->name.c_str());
  unsigned long length = 1;
  unsigned offset = 1;
  for (Field& f : t->fields) {
    f.offset = offset;
    offset += f.width;
    length += f.width;
  }
  if (length != t->recordLength) return reportError(t->engine, kErrData, t->name.c_str());
  return 0;
}

void linkFields(Table* t) {
  t->memos.clear();
  for (size_t i = 0; i < t->fields.size(); ++i) {
    Field& f = t->fields[i];
    f.table = t;
    f.memo = -1;
    if (isMemoType(f.type)) {
      f.memo = static_cast<int>(t->memos.size());
      MemoEntry m;
      m.field = static_cast<int>(i);
      t->memos.push_back(m);
    }
  }
}

void registerTable(Engine* e, std::unique_ptr<Table> t) { e->tables.push_back(std::move(t)); }

// Releases a table that never became part of the context.
void discard(Table* t) {
  for (auto& ix : t->indexes) ix->close();
  if (t->memo) memoClose(*t->memo);
  fileClose(t->file);
}

int goEof(Table* t, long count) {
  t->recNo = count + 1;
  t->eof = true;
  t->bof = count == 0;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  t->oldRecNo = 0;
  t->recordChanged = false;
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, false, false};
  return kEof;
}

// A move begins by writing a changed record and releasing its lock.
int leaveRecord(Table* t) {
  int rc = flushRecord(t);
  if (rc != 0) return rc;
  return unlockRecords(t);
}

int moveTo(Table* t, long n) {
  int rc = readRecord(t, n);
  if (rc == 0) {
    t->eof = false;
    t->bof = false;
  }
  return rc;
}

// Records in the selected tag's order.
int orderedEnd(Table* t, bool last) {
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  long n = 0;
  int rc = last ? t->selected->last(*t, &n) : t->selected->first(*t, &n);
  if (rc != 0) return rc;
  if (n == 0) return goEof(t, count);
  return moveTo(t, n);
}

int orderedSkip(Table* t, long count, long n) {
  TagOrder* order = t->selected;
  long from = t->recNo, to = 0;
  bool offStart = false;
  int rc = 0;
  if (from > count) {
    // From the end of file, a backward step starts at the order's last record.
    if (n < 0) rc = order->last(*t, &to);
    if (rc == 0 && to > 0 && n + 1 != 0) rc = order->step(*t, to, n + 1, &to, &offStart);
  } else {
    to = from;
    if (n != 0) rc = order->step(*t, from, n, &to, &offStart);
  }
  if (rc != 0) return rc;
  if (to == 0 && offStart) {
    rc = order->first(*t, &to);
    if (rc != 0) return rc;
    if (to == 0) return goEof(t, count);
    rc = moveTo(t, to);
    t->bof = true;
    return rc == 0 ? kBof : rc;
  }
  if (to == 0) return goEof(t, count);
  return moveTo(t, to);
}

}  // namespace

void setProductionIndexOpener(ProductionIndexOpener opener) { g_indexOpener = opener; }
ProductionIndexOpener productionIndexOpener() { return g_indexOpener; }
void setProductionIndexCreator(ProductionIndexCreator creator) { g_indexCreator = creator; }

int dbfSetProductionIndexFlag(Table* t, bool on) {
  if (!t) return -1;
  unsigned char flags = on ? t->header[28] | kFlagProductionIndex
                           : t->header[28] & ~kFlagProductionIndex;
  int rc = fileWrite(t->file, 28, &flags, 1);
  if (rc != 0) return rc;
  t->header[28] = flags;
  t->productionIndex = on;
  t->fileChanged = true;
  return 0;
}

std::string withExtension(const std::string& name, const char* ext) {
  if (extensionStart(name) != std::string::npos) return name;
  size_t slash = name.find_last_of("/\\:");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  return name + "." + caseLike(base, ext);
}

std::string replaceExtension(const std::string& name, const char* ext) {
  size_t dot = extensionStart(name);
  if (dot == std::string::npos) return withExtension(name, ext);
  return name.substr(0, dot + 1) + caseLike(name.substr(dot + 1), ext);
}

Table* dbfOpen(Engine* e, const char* name) {
  if (!e || !name || inError(e)) return nullptr;
  auto t = std::make_unique<Table>();
  t->engine = e;
  t->name = withExtension(name, "dbf");
  if (fileOpen(e, t->file, t->name) != 0) return nullptr;
  if (readStructure(t.get()) != 0) {
    discard(t.get());
    return nullptr;
  }
  t->record.assign(t->recordLength + 1, ' ');
  t->recordOld.assign(t->recordLength + 1, ' ');
  t->record.back() = 0;
  t->recordOld.back() = 0;
  linkFields(t.get());
  t->productionIndex = (t->header[28] & kFlagProductionIndex) != 0;
  if (hasMemoFile(t->header)) {
    t->memo = std::make_unique<MemoFile>();
    if (memoOpen(e, *t->memo, replaceExtension(t->name, "fpt")) != 0) {
      discard(t.get());
      return nullptr;
    }
  }
  if (t->productionIndex && e->autoOpenProductionIndex && g_indexOpener) {
    IndexFile* ix = g_indexOpener(*t);
    if (!ix) {
      discard(t.get());
      return nullptr;
    }
    t->indexes.emplace_back(ix);
  }
  Table* result = t.get();
  registerTable(e, std::move(t));
  return result;
}

Table* dbfCreate(Engine* e, const char* name, const FieldInfo* fields, const TagInfo* tags) {
  if (!e || !name || !fields || inError(e)) return nullptr;
  std::string fileName = withExtension(name, "dbf");
  size_t count = 0;
  unsigned long recordLength = 1;
  bool memo = false;
  for (const FieldInfo* f = fields; f->name; ++f, ++count) {
    char type = static_cast<char>(std::toupper(f->type & 0xFF));
    unsigned w, d;
    normaliseField(type, f->width, f->decimals, &w, &d);
    recordLength += w;
    memo = memo || isMemoType(type);
  }
  if (recordLength >= 65535) {
    reportError(e, kErrRecordLength, fileName.c_str());
    return nullptr;
  }
  if (kDescriptorSize * count + 34 >= 65535) {
    reportError(e, kErrCreate, "Too Many Fields", fileName.c_str());
    return nullptr;
  }
  bool withTags = tags && tags->name;
  if (withTags && !g_indexCreator) {
    reportError(e, kErrNoIndexSupport, fileName.c_str());
    return nullptr;
  }

  unsigned headerLength = static_cast<unsigned>(kDescriptorSize * (count + 1) + 1);
  std::vector<unsigned char> image(headerLength + 1, 0);
  port::LocalDate today = port::local_date();
  image[0] = memo ? kVersionMemo : kVersionPlain;
  image[1] = static_cast<unsigned char>(today.year - 1900);
  image[2] = static_cast<unsigned char>(today.month);
  image[3] = static_cast<unsigned char>(today.day);
  put16(&image[8], headerLength);
  put16(&image[10], static_cast<unsigned>(recordLength));
  unsigned char* d = &image[kHeaderSize];
  for (const FieldInfo* f = fields; f->name; ++f, d += kDescriptorSize) {
    size_t len = std::min<size_t>(std::strlen(f->name), 10);
    while (len > 0 && f->name[len - 1] == ' ') --len;
    for (size_t i = 0; i < len; ++i)
      d[i] = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(f->name[i])));
    char type = static_cast<char>(std::toupper(f->type & 0xFF));
    d[11] = static_cast<unsigned char>(type);
    unsigned w, dec;
    normaliseField(type, f->width, f->decimals, &w, &dec);
    if (type == 'C') {
      d[16] = static_cast<unsigned char>(w & 0xFF);
      d[17] = static_cast<unsigned char>(w >> 8);
    } else {
      d[16] = static_cast<unsigned char>(w);
      d[17] = static_cast<unsigned char>(dec);
    }
  }
  image[headerLength - 1] = kHeaderEnd;
  image[headerLength] = kEofMarker;

  File file;
  if (fileCreate(e, file, fileName) != 0) return nullptr;
  int rc = fileWrite(file, 0, image.data(), image.size());
  if (rc == 0 && memo) {
    MemoFile m;
    rc = memoCreate(e, m, replaceExtension(fileName, "fpt"));
    memoClose(m);
  }
  fileClose(file);
  if (rc != 0) {
    // The half-made table was created by this call: take it away again.
    port::delete_file(nativeName(fileName));
    return nullptr;
  }
  Table* t = dbfOpen(e, fileName.c_str());
  if (!t || !withTags) return t;
  IndexFile* ix = g_indexCreator(*t, tags);
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
  if (saved == kErrUnique) t->recordChanged = false;
  note(flushRecord(t));
  if (t->fileChanged && !t->file.readOnly) {
    unsigned char stamp[4];
    port::LocalDate today = port::local_date();
    stamp[0] = t->header[0];
    stamp[1] = static_cast<unsigned char>(today.year - 1900);
    stamp[2] = static_cast<unsigned char>(today.month);
    stamp[3] = static_cast<unsigned char>(today.day);
    note(fileWrite(t->file, 0, stamp, sizeof stamp));
  }
  note(unlockAll(t));
  for (auto& ix : t->indexes) note(ix->close());
  t->indexes.clear();
  t->selected = nullptr;
  if (t->memo) note(memoClose(*t->memo));
  note(fileClose(t->file));
  e->lastError = first ? first : saved;
  e->tables.remove_if([t](const std::unique_ptr<Table>& p) { return p.get() == t; });
  return first;
}

int readRecord(Table* t, long n) {
  Engine* e = t->engine;
  int64_t got = -1;
  if (n >= 1) {
    uint64_t offset = t->headerLength + static_cast<uint64_t>(n - 1) * t->recordLength;
    got = fileReadQuiet(t->file, offset, t->record.data(), t->recordLength);
  }
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, false, false};
  t->recordChanged = false;
  if (got != static_cast<int64_t>(t->recordLength)) {
    std::fill(t->record.begin(), t->record.end() - 1, ' ');
    t->recNo = 0;
    t->oldRecNo = 0;
    if (!e->reportReadFailure) return kShortRead;
    return reportError(e, kErrRead, t->name.c_str());
  }
  t->recNo = n;
  std::copy(t->record.begin(), t->record.end(), t->recordOld.begin());
  t->oldRecNo = n;
  return 0;
}

int dbfTop(Table* t) {
  if (!t || inError(t->engine)) return -1;
  int rc = leaveRecord(t);
  if (rc != 0) return rc;
  if (t->selected) return orderedEnd(t, false);
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  if (count == 0) return goEof(t, 0);
  return moveTo(t, 1);
}

int dbfBottom(Table* t) {
  if (!t || inError(t->engine)) return -1;
  int rc = leaveRecord(t);
  if (rc != 0) return rc;
  if (t->selected) return orderedEnd(t, true);
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  if (count == 0) return goEof(t, 0);
  return moveTo(t, count);
}

int dbfSkip(Table* t, long n) {
  if (!t || inError(t->engine)) return -1;
  Engine* e = t->engine;
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  bool valid = t->recNo >= 1 && (t->recNo <= count || (t->eof && t->recNo == count + 1));
  if (!valid) {
    if (!e->reportSkipFailure) return -1;
    return reportError(e, kErrInfo, "Skip must be made from valid record number");
  }
  int rc = leaveRecord(t);
  if (rc != 0) return rc;
  if (t->selected) return orderedSkip(t, count, n);
  long from = t->recNo;
  long target = from + n;
  if (target > count) return goEof(t, count);
  if (target < 1) {
    if (count == 0) return goEof(t, 0);
    rc = moveTo(t, 1);
    t->bof = true;
    return rc == 0 ? kBof : rc;
  }
  return moveTo(t, target);
}

int dbfGo(Table* t, long n) {
  if (!t || inError(t->engine)) return -1;
  int rc = leaveRecord(t);
  if (rc != 0) return rc;
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  return moveTo(t, n >= 1 && n <= count ? n : 0);
}

int dbfGoEof(Table* t) {
  if (!t || inError(t->engine)) return -1;
  int rc = leaveRecord(t);
  if (rc != 0) return rc;
  long count = dbfRecordCount(t);
  if (count < 0) return -1;
  return goEof(t, count);
}

int dbfEof(Table* t) {
  if (!t || inError(t->engine)) return -1;
  return t->eof ? 1 : 0;
}

int dbfBof(Table* t) {
  if (!t || inError(t->engine)) return -1;
  return t->bof ? 1 : 0;
}

// While the table holds the append or whole-file lock, or has its file to
// itself, no one else can change the count: the value read first is kept.
bool countIsStable(const Table* t) { return t->fileLocked || t->appendLocked || t->file.exclusive; }

long dbfRecordCount(Table* t) {
  if (!t) return -1;
  if (t->lockedCount >= 0 && countIsStable(t)) return t->lockedCount;
  unsigned char bytes[4];
  if (t->file.handle.read_at(4, bytes, 4) != 4) return -1;
  uint32_t count = get32(bytes);
  std::memcpy(t->header + 4, bytes, 4);
  if (countIsStable(t)) t->lockedCount = static_cast<long>(count);
  return static_cast<long>(count);
}

long dbfRecordNumber(Table* t) { return t ? t->recNo : -1; }

int dbfDeleted(Table* t) { return t && t->record[0] != ' ' ? 1 : 0; }

void dbfDelete(Table* t) {
  if (!t || t->record[0] == '*') return;
  t->record[0] = '*';
  t->recordChanged = true;
}

void dbfRecall(Table* t) {
  if (!t || t->record[0] == ' ') return;
  t->record[0] = ' ';
  t->recordChanged = true;
}

void dbfBlank(Table* t) {
  if (!t) return;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  for (MemoEntry& m : t->memos) m = MemoEntry{m.field, {}, true, true};
  t->recordChanged = true;
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
  if (t->engine->reportFieldNameFailure) reportError(t->engine, kErrFieldName, wanted.c_str());
  return nullptr;
}

long memoBlockOf(const Field* f) {
  const char* p = &f->table->record[f->offset];
  if (f->width == 4) {  // a binary block number
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<long>(get32(b));
  }
  return textToLong(p, static_cast<int>(f->width));
}

void setMemoBlock(Field* f, long block) {
  char* p = &f->table->record[f->offset];
  if (f->width == 4) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(static_cast<uint32_t>(block) >> (8 * i));
  } else if (block > 0) {
    fixedWidth(p, block, static_cast<int>(f->width));
  } else {
    std::memset(p, ' ', f->width);
  }
}

int memoText(Field* f, std::string& contents) {
  contents.clear();
  if (!f || f->memo < 0) return 0;
  Table* t = f->table;
  MemoEntry& m = t->memos[static_cast<size_t>(f->memo)];
  if (!m.loaded) {
    long block = memoBlockOf(f);
    int rc = t->memo ? memoRead(*t->memo, block, m.contents) : 0;
    if (rc != 0) return rc;
    m.loaded = true;
  }
  contents = m.contents;
  return 0;
}

int memoAssign(Field* f, const std::string& contents) {
  if (!f || f->memo < 0) return -1;
  Table* t = f->table;
  if (inError(t->engine)) return -1;
  MemoEntry& m = t->memos[static_cast<size_t>(f->memo)];
  m.contents = contents;
  m.loaded = true;
  m.changed = true;
  t->recordChanged = true;
  return 0;
}

}  // namespace qx::dbf
