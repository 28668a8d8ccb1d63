// The query walk: relTop settles the set of matching records, then the table
// moves through its selected order from one member of the set to the next.
//
// Records the tags cannot settle are tested by reading the data file in
// large blocks and evaluating the query over each record in the table's
// record buffer: a full scan costs one read per block instead of one per
// record, and the set is exact when the walk begins, so changes made while
// walking do not move it.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/file.h"
#include "dbf/relation_internal.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

// How much of the data file one read of the scan takes.
constexpr size_t kScanBlock = 256 * 1024;

Engine* engine_of(const Relation* r) { return r->table->engine; }

// The query's expression, parsed when first needed; null with no query.
// False when it does not parse or is not logical.
bool parsed_query(Relation* r) {
  if (r->query.empty() || r->expr) return true;
  r->expr = exprParse(r->table, r->query.c_str());
  if (!r->expr) return false;
  if (exprType(r->expr) != 'L') {
    report_error(engine_of(r), kErrResult, "Expecting logical result.", "relTop()");
    exprFree(r->expr);
    r->expr = nullptr;
    return false;
  }
  return true;
}

// Evaluates the query for the members of `set` (all of them when null:
// every record) and leaves in `set` those for which it is true.  The table's
// record buffer is borrowed for each record and given back afterwards.
int scan(Relation* r, RecordSet& set) {
  Table* t = r->table;
  long count = set.size();
  const size_t length = t->record_length;
  if (count == 0 || length == 0) return 0;
  std::vector<char> saved_record = t->record;
  long saved_rec_no = t->rec_no;
  long per_block = static_cast<long>(std::max<size_t>(1, kScanBlock / length));
  std::vector<char> block(static_cast<size_t>(per_block) * length);
  int rc = 0;
  for (long first = 1; first <= count; first += per_block) {
    long last = std::min(count, first + per_block - 1);
    if (set.next(first) == 0) break;
    if (set.next(first) > last) continue;
    uint64_t offset = t->header_length + static_cast<uint64_t>(first - 1) * length;
    int64_t got = file_read_quiet(t->file, offset, block.data(),
                                  static_cast<size_t>(last - first + 1) * length);
    long whole = got > 0 ? static_cast<long>(static_cast<uint64_t>(got) / length) : 0;
    for (long n = set.next(first); n != 0 && n <= last; n = set.next(n + 1)) {
      if (n - first >= whole) {
        // The file ends early (another user cut it short): no such record.
        set.remove(n);
        continue;
      }
      std::copy_n(block.data() + static_cast<size_t>(n - first) * length, length,
                  t->record.data());
      t->rec_no = n;  // for RECNO()
      int is = exprTrue(r->expr);
      if (is < 0) {
        rc = is;
        break;
      }
      if (is == 0) set.remove(n);
    }
    if (rc < 0) break;
  }
  std::copy(saved_record.begin(), saved_record.end(), t->record.begin());
  t->rec_no = saved_rec_no;
  return rc;
}

// Settles the set of matching records among records 1..count.
int settle(Relation* r, long count) {
  r->used_tags = false;
  if (!r->expr) {
    r->matches.reset(count, true);
    return 0;
  }
  TagAnswer answer;
  int rc = 0;
  if (answer_from_tags(r, count, &answer, &rc)) {
    r->used_tags = true;
    r->matches = std::move(answer.records);
    return answer.exact ? 0 : scan(r, r->matches);
  }
  if (rc < 0) return rc;
  r->matches.reset(count, true);
  return scan(r, r->matches);
}

// The record count, but no more records than the data file holds: a header
// that claims billions of records does not make the walk reserve room for
// them.
long records_held(Table* t) {
  long count = dbfRecordCount(t);
  int64_t length = file_length(t->file);
  if (count <= 0 || length < 0 || t->record_length == 0) return count;
  int64_t room = length > t->header_length ? (length - t->header_length) / t->record_length : 0;
  return static_cast<long>(std::min<int64_t>(count, room));
}

bool in_record_order(const Relation* r) { return r->table->selected == nullptr; }

// From the move result `rc`, goes on in the selected order (forwards, or
// backwards when `back`) until a member of the set is current.
int walk_tag_order(Relation* r, int rc, bool back) {
  Table* t = r->table;
  while (rc == 0 && !r->matches.has(t->rec_no)) rc = dbfSkip(t, back ? -1 : 1);
  return rc;
}

// Goes to the first member at or after `n` in record order.
int go_forward(Relation* r, long n) {
  long next = r->matches.next(n);
  if (next == 0) return dbfGoEof(r->table);
  return dbfGo(r->table, next);
}

int first_match(Relation* r) {
  if (in_record_order(r)) return go_forward(r, 1);
  return walk_tag_order(r, dbfTop(r->table), false);
}

int skip_once(Relation* r, bool back) {
  Table* t = r->table;
  if (in_record_order(r)) {
    if (!back) return go_forward(r, t->eof ? r->matches.size() + 1 : t->rec_no + 1);
    long previous = t->rec_no > 1 ? r->matches.previous(t->rec_no - 1) : 0;
    if (t->eof) previous = r->matches.previous(r->matches.size());
    if (previous != 0) return dbfGo(t, previous);
  } else {
    int rc = walk_tag_order(r, dbfSkip(t, back ? -1 : 1), back);
    if (rc != kBof) return rc;
  }
  // Before the first match: it becomes current again.
  int rc = first_match(r);
  return rc == 0 ? kBof : rc;
}

}  // namespace

void RecordSet::reset(long size, bool all) {
  size_ = std::max(0L, size);
  bits_.assign((static_cast<size_t>(size_) + 63) / 64, all ? ~uint64_t{0} : 0);
  if (all && size_ % 64 != 0) bits_.back() = (uint64_t{1} << (size_ % 64)) - 1;
}

void RecordSet::intersect(const RecordSet& other) {
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] &= i < other.bits_.size() ? other.bits_[i] : 0;
}

void RecordSet::unite(const RecordSet& other) {
  for (size_t i = 0; i < bits_.size() && i < other.bits_.size(); ++i) bits_[i] |= other.bits_[i];
}

void RecordSet::complement() {
  for (uint64_t& b : bits_) b = ~b;
  if (size_ % 64 != 0) bits_.back() &= (uint64_t{1} << (size_ % 64)) - 1;
}

long RecordSet::next(long n) const {
  if (n < 1) n = 1;
  if (n > size_) return 0;
  size_t w = word(n);
  uint64_t bits = bits_[w] & (~uint64_t{0} << bit(n));
  while (bits == 0) {
    if (++w == bits_.size()) return 0;
    bits = bits_[w];
  }
  return static_cast<long>(w * 64 + static_cast<size_t>(std::countr_zero(bits))) + 1;
}

long RecordSet::previous(long n) const {
  if (n > size_) n = size_;
  if (n < 1) return 0;
  size_t w = word(n);
  unsigned b = bit(n);
  uint64_t bits = bits_[w] & (b == 63 ? ~uint64_t{0} : (uint64_t{1} << (b + 1)) - 1);
  while (bits == 0) {
    if (w == 0) return 0;
    bits = bits_[--w];
  }
  return static_cast<long>(w * 64 + 63 - static_cast<size_t>(std::countl_zero(bits))) + 1;
}

long RecordSet::count() const {
  long n = 0;
  for (uint64_t b : bits_) n += std::popcount(b);
  return n;
}

Relation* relInit(Table* table) {
  if (!table || in_error(table->engine)) return nullptr;
  auto* r = new Relation;
  r->table = table;
  return r;
}

int relSetQuery(Relation* r, const char* expression) {
  if (!r) return -1;
  exprFree(r->expr);
  r->expr = nullptr;
  r->query = expression ? expression : "";
  r->started = false;
  return 0;
}

int relLock(Relation* r) {
  if (!r) return -1;
  return lock_whole_file(r->table);
}

int relUnlock(Relation* r) {
  if (!r) return -1;
  return unlock_all(r->table);
}

int relTop(Relation* r) {
  if (!r || in_error(engine_of(r))) return -1;
  Table* t = r->table;
  // The record being left is written first, so the scan sees it as stored.
  int rc = flush_record(t);
  if (rc != 0) return rc;
  if (!parsed_query(r)) return -1;
  long count = records_held(t);
  if (count < 0) return -1;
  rc = settle(r, count);
  if (rc != 0) return rc;
  r->started = true;
  return first_match(r);
}

int relSkip(Relation* r, long count) {
  if (!r || in_error(engine_of(r))) return -1;
  if (!r->started) {
    int rc = relTop(r);
    if (rc != 0 || count == 0) return rc;
    count -= count > 0 ? 1 : 0;
  }
  int rc = 0;
  for (long i = 0; i < std::abs(count) && rc == 0; ++i) rc = skip_once(r, count < 0);
  return rc;
}

int relFree(Relation* r, int closeFiles) {
  if (!r) return -1;
  int rc = 0;
  exprFree(r->expr);
  if (closeFiles) rc = dbfClose(r->table);
  delete r;
  return rc;
}

bool rel_used_tags(const Relation* r) { return r && r->used_tags; }

}  // namespace qx::dbf
