// Ordered access through a tag: the first and last records, steps from a
// record, the seeks, and the records of a key range.  A descending tag keeps
// ascending keys and is walked from the other end.
#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

using namespace cdx;

namespace {

// Sought keys are built in place, never on the heap.
constexpr unsigned kKeyBuffer = kMaxKeyLength > kNumericKeyLength ? kMaxKeyLength : kNumericKeyLength;

// Holds the index file's lock (on a shared file) while a read walks its
// pages, so that no other user's change is seen half made.
class ReadLock {
 public:
  explicit ReadLock(Tag& tag) : index_(*tag.index) {
    rc_ = lock_index(index_, false);
    locked_ = rc_ == 0;
    if (rc_ == 0) rc_ = refresh(tag);
  }
  ~ReadLock() {
    if (locked_) unlock_index(index_);
  }
  ReadLock(const ReadLock&) = delete;
  ReadLock& operator=(const ReadLock&) = delete;
  int rc() const { return rc_; }

 private:
  Index& index_;
  int rc_ = 0;
  bool locked_ = false;
};

// Whether the tag's change counter in the file still has the value under
// which its cached pages were read (one read of four bytes, no lock).
bool counter_unchanged(Tag& tag) {
  unsigned char counter[4];
  if (file_read_quiet(tag.index->file, tag.header_offset + 8, counter, 4) != 4) return false;
  return coding::get32le(counter) == tag.version;
}

// Runs `read`, a search of the tag's tree that can run again from the
// start (it answers kNotCached to be run again under the lock).
//
// On a shared file it first runs without the index lock, on the cached
// pages alone, when the tag's counter still has the value under which they
// were cached.  That is safe whatever order another writer gives its page
// writes and its counter raise: every cached page was read under the lock
// while the counter had that value (a change of the counter empties the
// cache, under the lock), so the cached pages are one consistent state of
// the tree, and the read touches no page of the file.  A change that has not
// raised the counter yet is not complete, and a read ordered before it is
// as right as one that waited for the lock.  A page missing from the cache,
// a counter that moved, or a record that no longer has its key (see
// check_record()) sends the read through the lock as before.
template <class Read>
int read_tree(Tag& tag, Read&& read) {
  if (tag.index->shared() && !tag.cache.empty() && counter_unchanged(tag)) {
    tag.cached_only = true;
    int rc = read();
    tag.cached_only = false;
    if (rc != kNotCached) return rc;
  }
  ReadLock lock(tag);
  if (lock.rc() != 0) return lock.rc();
  return read();
}

// One entry on in the tag's own order.
int forward(Tag& tag, Position* at) { return tag.descending ? prev_entry(tag, at) : next_entry(tag, at); }
int backward(Tag& tag, Position* at) { return tag.descending ? next_entry(tag, at) : prev_entry(tag, at); }

// The key and record of a valid position.
int entry_at(Tag& tag, const Position& at, const unsigned char** key, long* rec_no) {
  const Node* leaf = nullptr;
  int rc = load_node(tag, at.leaf, &leaf);
  if (rc != 0) return rc;
  if (at.entry >= leaf->count()) return bad_index(*tag.index, "entry");
  *key = leaf->key(at.entry);
  *rec_no = static_cast<long>(leaf->record(at.entry));
  return 0;
}

// Notes where a read ended, with the record it stands on.
int remember(Tag& tag, const Position& at) {
  tag.cursor = at;
  tag.cursor_record = 0;
  if (!at.valid) return 0;
  const unsigned char* key = nullptr;
  return entry_at(tag, at, &key, &tag.cursor_record);
}

// The key of record `rec_no` (the record buffer when it holds it).
// A read from the cache alone that finds the record short (a pack is
// cutting the file) looks again under the lock instead of reporting it.
int key_of_record(Tag& tag, Table& t, long rec_no, unsigned char* key, bool* in) {
  if (t.rec_no == rec_no && !t.record_changed) return record_key(tag, key, in);
  std::vector<char>& image = tag.record_image;
  image.assign(t.record_length + 1, ' ');
  uint64_t at = t.header_length + static_cast<uint64_t>(rec_no - 1) * t.record_length;
  if (tag.cached_only) {
    if (file_read_quiet(t.file, at, image.data(), t.record_length) != static_cast<int64_t>(t.record_length))
      return kNotCached;
  } else {
    int rc = file_read_all(t.file, at, image.data(), t.record_length);
    if (rc != 0) return rc;
  }
  return image_key(tag, image.data(), key, in);
}

// The physical place of record `rec_no` in the tag: exactly on its entry,
// or (a record the tag leaves out) just before the first greater pair.
int locate(Tag& tag, Table& t, long rec_no, Position* at, bool* exact) {
  if (tag.cursor.valid && tag.cursor_record == rec_no) {
    *at = tag.cursor;
    *exact = true;
    return 0;
  }
  if (!tag.usable) {
    // Its keys cannot be computed here: the record is looked for entry by
    // entry.
    int rc = leftmost(tag, at);
    while (rc == 0 && at->valid && record_at(tag, *at) != static_cast<uint32_t>(rec_no)) rc = next_entry(tag, at);
    *exact = rc == 0 && at->valid;
    return rc;
  }
  unsigned char key[kKeyBuffer];
  bool in = false;
  int rc = key_of_record(tag, t, rec_no, key, &in);
  if (rc == 0) rc = seek_first(tag, key, tag.key_length, static_cast<uint32_t>(rec_no), at);
  if (rc != 0 || !at->valid) {
    *exact = false;
    return rc;
  }
  const unsigned char* found = nullptr;
  long found_record = 0;
  rc = entry_at(tag, *at, &found, &found_record);
  *exact = rc == 0 && found_record == rec_no && std::memcmp(found, key, tag.key_length) == 0;
  return rc;
}

// The sought key of a text for the tag, and the length to compare.
void text_key(Tag& tag, const char* text, int length, unsigned char* key, unsigned* compared) {
  std::memset(key, tag.fill(), kKeyBuffer);
  size_t n = length > 0 ? static_cast<size_t>(length) : std::strlen(text);
  if (tag.key.type == 'C') {
    n = std::min<size_t>(n, tag.key_length);
    std::memcpy(key, text, n);
    // An empty text is a prefix of every key: the first one is found.
    *compared = static_cast<unsigned>(n);
    return;
  }
  double value;
  if (tag.key.type == 'D') {
    char date[8];
    std::memset(date, ' ', sizeof date);
    std::memcpy(date, text, std::min<size_t>(n, sizeof date));
    value = static_cast<double>(date_to_day(date));
  } else {
    value = textToDouble(text, static_cast<int>(n));
  }
  if (tag.key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(value), key);
  else numeric_key(value, key);
  *compared = tag.key_length;
}

// The first entry of the tag's order whose key is not less than the sought
// one (over `compared` bytes).
int find_key(Tag& tag, const unsigned char* key, unsigned compared, Position* at) {
  if (!tag.descending) return seek_first(tag, key, compared, 0, at);
  // The last key not greater than the sought one: in descending order the
  // first not less.
  int rc = seek_after(tag, key, compared, at);
  if (rc == 0) rc = at->valid ? prev_entry(tag, at) : rightmost(tag, at);
  return rc;
}

// Whether the record the table now holds still has the key the tree gave
// for it (and passes the filter).
bool record_has_key(Tag& tag, const unsigned char* key) {
  unsigned char own[kKeyBuffer];
  bool in = false;
  return record_key(tag, own, &in) == 0 && in && std::memcmp(own, key, tag.key_length) == 0;
}

// The same for record `rec_no` as the file holds it now.
bool file_record_has_key(Tag& tag, Table& t, long rec_no, const unsigned char* key) {
  unsigned char own[kKeyBuffer];
  bool in = false;
  return key_of_record(tag, t, rec_no, own, &in) == 0 && in && std::memcmp(own, key, tag.key_length) == 0;
}

// A read from the cache alone hands out a record number only while that
// record still has the key the tree gives for it: the tree it read may be
// older than the records (another user writes a record after its keys, and a
// pack moves records before it raises the counters), and such a read is
// made again under the lock.  kNotCached when the record is not the one.
int check_record(Tag& tag, Table& t, const Position& at) {
  if (!tag.cached_only || !at.valid) return 0;
  const unsigned char* key = nullptr;
  long rec_no = 0;
  int rc = entry_at(tag, at, &key, &rec_no);
  if (rc != 0) return rc;
  unsigned char found[kKeyBuffer];
  std::memcpy(found, key, tag.key_length);
  return file_record_has_key(tag, t, rec_no, found) ? 0 : kNotCached;
}

// dbfGo for a read from the cache alone: a record that comes back short is
// not reported, since it only means the read must look again under the lock.
int go_quietly(Table* t, long rec_no) {
  Engine* e = t->engine;
  int report = e->reportReadFailure;
  e->reportReadFailure = 0;
  int rc = dbfGo(t, rec_no);
  e->reportReadFailure = report;
  return rc;
}

// Positions the table on the entry found, or at end of file.  The record is
// read within the search: under the lock, no pack can move records between
// the two; from the cache alone, it is checked as check_record() says.
int seek_key(Table* t, Tag& tag, const unsigned char* key, unsigned compared) {
  int rc = flush_record(t);
  if (rc == 0) rc = unlock_records(t);
  if (rc != 0) return rc;
  Position at;
  long rec_no = 0;
  bool equal = false;
  rc = read_tree(tag, [&] {
    int r = find_key(tag, key, compared, &at);
    if (r != 0 || !at.valid) return r;
    const unsigned char* entry_key = nullptr;
    r = entry_at(tag, at, &entry_key, &rec_no);
    if (r != 0) return r;
    unsigned char found[kKeyBuffer];
    std::memcpy(found, entry_key, tag.key_length);
    equal = std::memcmp(found, key, compared) == 0;
    if (!tag.cached_only) return dbfGo(t, rec_no);
    return go_quietly(t, rec_no) == 0 && record_has_key(tag, found) ? 0 : kNotCached;
  });
  if (rc != 0) return rc;
  if (!at.valid) {
    tag.cursor.valid = false;
    dbfGoEof(t);
    return kEof;
  }
  tag.cursor = at;
  tag.cursor_record = rec_no;
  return equal ? 0 : 2;
}

int ordered_end(Tag& tag, Table& t, bool last, long* rec_no) {
  return read_tree(tag, [&] {
    Position at;
    int rc = last != tag.descending ? rightmost(tag, &at) : leftmost(tag, &at);
    if (rc == 0) rc = check_record(tag, t, at);
    if (rc == 0) rc = remember(tag, at);
    *rec_no = rc == 0 && at.valid ? tag.cursor_record : 0;
    return rc;
  });
}

void bound_key(Tag& tag, const KeyBound& b, unsigned char* key, unsigned* compared) {
  std::memset(key, tag.fill(), kKeyBuffer);
  if (tag.key.type == 'C') {
    size_t n = std::min<size_t>(b.text ? static_cast<size_t>(std::max(b.length, 0)) : 0, tag.key_length);
    if (n) std::memcpy(key, b.text, n);
    *compared = static_cast<unsigned>(n);
    return;
  }
  if (tag.key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(b.number), key);
  else numeric_key(b.number, key);
  *compared = tag.key_length;
}

}  // namespace

int Tag::first(Table& t, long* rec_no) { return ordered_end(*this, t, false, rec_no); }
int Tag::last(Table& t, long* rec_no) { return ordered_end(*this, t, true, rec_no); }

int Tag::step(Table& t, long from, long count, long* to, bool* off_start) {
  return read_tree(*this, [&] {
    *to = 0;
    *off_start = false;
    Position at;
    bool exact = false;
    int rc = locate(*this, t, from, &at, &exact);
    if (rc != 0) return rc;
    long steps = count < 0 ? -count : count;
    if (!exact && steps > 0) {
      // Standing between entries: the first step lands on a neighbour.
      bool physical_forward = (count > 0) != descending;
      if (!physical_forward) rc = at.valid ? prev_entry(*this, &at) : rightmost(*this, &at);
      --steps;
    }
    for (; rc == 0 && steps > 0 && at.valid; --steps) rc = count > 0 ? forward(*this, &at) : backward(*this, &at);
    if (rc == 0) rc = check_record(*this, t, at);
    if (rc == 0) rc = remember(*this, at);
    if (rc != 0) return rc;
    if (!at.valid) *off_start = count < 0;
    else *to = cursor_record;
    return 0;
  });
}

int dbfSeekN(Table* t, const char* text, int length) {
  if (!t || in_error(t->engine)) return -1;
  Tag* tag = tagSelected(t);
  if (!tag) return 80;
  if (!text) text = "";
  if (!tag->usable) return report_error(t->engine, kErrInfo, "Invalid key type in index file", tag->name.c_str());
  unsigned char key[kKeyBuffer];
  unsigned compared = 0;
  text_key(*tag, text, length, key, &compared);
  return seek_key(t, *tag, key, compared);
}

int dbfSeek(Table* t, const char* text) { return dbfSeekN(t, text, text ? static_cast<int>(std::strlen(text)) : 0); }

int dbfSeekDouble(Table* t, double value) {
  if (!t || in_error(t->engine)) return -1;
  Tag* tag = tagSelected(t);
  if (!tag) return 80;
  if (tag->key.type == 'C' || !tag->usable) return -1;
  unsigned char key[kKeyBuffer];
  if (tag->key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(value), key);
  else numeric_key(value, key);
  return seek_key(t, *tag, key, tag->key_length);
}

int tagRecordsInRange(Table* t, Tag* tag, const KeyBound* low, const KeyBound* high, std::vector<long>* out) {
  if (!t || !tag || !out || in_error(t->engine)) return -1;
  if (!tag->usable) return report_error(t->engine, kErrInfo, "Invalid key type in index file", tag->name.c_str());
  unsigned char lower[kKeyBuffer], upper[kKeyBuffer];
  unsigned lower_compared = 0, upper_compared = 0;
  if (low) bound_key(*tag, *low, lower, &lower_compared);
  if (high) bound_key(*tag, *high, upper, &upper_compared);
  // Under the lock only: the records of a range are read after it, and a
  // range from the cache alone could not vouch for them one by one.
  ReadLock lock(*tag);
  if (lock.rc() != 0) return lock.rc();
  Position at;
  int rc = !low ? leftmost(*tag, &at)
           : low->inclusive ? seek_first(*tag, lower, lower_compared, 0, &at)
                            : seek_after(*tag, lower, lower_compared, &at);
  while (rc == 0 && at.valid) {
    const unsigned char* k = nullptr;
    long rec_no = 0;
    rc = entry_at(*tag, at, &k, &rec_no);
    if (rc != 0) return rc;
    if (high) {
      int c = std::memcmp(k, upper, upper_compared);
      if (c > 0 || (c == 0 && !high->inclusive)) break;
    }
    out->push_back(rec_no);
    rc = next_entry(*tag, &at);
  }
  return rc;
}

}  // namespace qx::dbf
