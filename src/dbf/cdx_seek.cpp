// Ordered access through a tag: the first and last records, steps from a
// record, the seeks, and the records of a key range.  A descending tag keeps
// ascending keys and is walked from the other end.
#include <algorithm>
#include <cstring>

#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

using namespace cdx;

namespace {

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

// One entry on in the tag's own order.
int forward(Tag& tag, Position* at) { return tag.descending ? prev_entry(tag, at) : next_entry(tag, at); }
int backward(Tag& tag, Position* at) { return tag.descending ? next_entry(tag, at) : prev_entry(tag, at); }

void remember(Tag& tag, const Position& at) {
  tag.cursor = at;
  tag.cursor_record = at.valid ? static_cast<long>(record_at(tag, at)) : 0;
}

// The key of record `rec_no` (the record buffer when it holds it).
int key_of_record(Tag& tag, Table& t, long rec_no, unsigned char* key, bool* in) {
  if (t.rec_no == rec_no && !t.record_changed) return record_key(tag, key, in);
  std::vector<char> image(t.record_length + 1, ' ');
  uint64_t at = t.header_length + static_cast<uint64_t>(rec_no - 1) * t.record_length;
  int rc = file_read_all(t.file, at, image.data(), t.record_length);
  if (rc != 0) return rc;
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
  std::vector<unsigned char> key(tag.key_length);
  bool in = false;
  int rc = key_of_record(tag, t, rec_no, key.data(), &in);
  if (rc == 0) rc = seek_first(tag, key.data(), tag.key_length, static_cast<uint32_t>(rec_no), at);
  if (rc != 0) return rc;
  *exact = at->valid && record_at(tag, *at) == static_cast<uint32_t>(rec_no) &&
           std::memcmp(key_at(tag, *at), key.data(), tag.key_length) == 0;
  return 0;
}

// The sought key of a text for the tag, and the length to compare.
int text_key(Tag& tag, const char* text, int length, std::vector<unsigned char>& key, unsigned* compared) {
  key.assign(std::max(tag.key_length, kNumericKeyLength), tag.fill());
  size_t n = length > 0 ? static_cast<size_t>(length) : std::strlen(text);
  if (tag.key.type == 'C') {
    n = std::min<size_t>(n, tag.key_length);
    std::memcpy(key.data(), text, n);
    // An empty text is a prefix of every key: the first one is found.
    *compared = static_cast<unsigned>(n);
    return 0;
  }
  double value = tag.key.type == 'D' ? static_cast<double>(date_to_day(std::string(text, n).append(8, ' ').c_str()))
                                     : textToDouble(text, static_cast<int>(n));
  if (tag.key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(value), key.data());
  else numeric_key(value, key.data());
  *compared = tag.key_length;
  return 0;
}

// Positions the table on the entry found, or at end of file.
int seek_key(Table* t, Tag& tag, const std::vector<unsigned char>& key, unsigned compared) {
  int rc = flush_record(t);
  if (rc == 0) rc = unlock_records(t);
  if (rc != 0) return rc;
  ReadLock lock(tag);
  if (lock.rc() != 0) return lock.rc();
  Position at;
  if (!tag.descending) {
    rc = seek_first(tag, key.data(), compared, 0, &at);
  } else {
    // The last key not greater than the sought one: in descending order the
    // first not less.
    rc = seek_after(tag, key.data(), compared, &at);
    if (rc == 0) rc = at.valid ? prev_entry(tag, &at) : rightmost(tag, &at);
  }
  if (rc != 0) return rc;
  if (!at.valid) {
    tag.cursor.valid = false;
    dbfGoEof(t);
    return kEof;
  }
  bool equal = std::memcmp(key_at(tag, at), key.data(), compared) == 0;
  long rec_no = static_cast<long>(record_at(tag, at));
  rc = dbfGo(t, rec_no);
  if (rc != 0) return rc;
  remember(tag, at);
  return equal ? 0 : 2;
}

int ordered_end(Tag& tag, bool last, long* rec_no) {
  ReadLock lock(tag);
  if (lock.rc() != 0) return lock.rc();
  int rc = 0;
  Position at;
  rc = last != tag.descending ? rightmost(tag, &at) : leftmost(tag, &at);
  if (rc != 0) return rc;
  remember(tag, at);
  *rec_no = at.valid ? static_cast<long>(record_at(tag, at)) : 0;
  return 0;
}

int bound_key(Tag& tag, const KeyBound& b, std::vector<unsigned char>& key, unsigned* compared) {
  key.assign(std::max(tag.key_length, kNumericKeyLength), tag.fill());
  if (tag.key.type == 'C') {
    size_t n = std::min<size_t>(b.text ? static_cast<size_t>(std::max(b.length, 0)) : 0, tag.key_length);
    if (n) std::memcpy(key.data(), b.text, n);
    *compared = static_cast<unsigned>(n);
    return 0;
  }
  if (tag.key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(b.number), key.data());
  else numeric_key(b.number, key.data());
  *compared = tag.key_length;
  return 0;
}

}  // namespace

int Tag::first(Table&, long* rec_no) { return ordered_end(*this, false, rec_no); }
int Tag::last(Table&, long* rec_no) { return ordered_end(*this, true, rec_no); }

int Tag::step(Table& t, long from, long count, long* to, bool* off_start) {
  *to = 0;
  *off_start = false;
  ReadLock lock(*this);
  if (lock.rc() != 0) return lock.rc();
  int rc = 0;
  Position at;
  bool exact = false;
  rc = locate(*this, t, from, &at, &exact);
  if (rc != 0) return rc;
  long steps = count < 0 ? -count : count;
  if (!exact && steps > 0) {
    // Standing between entries: the first step lands on a neighbour.
    bool physical_forward = (count > 0) != descending;
    if (physical_forward) {
      --steps;
    } else {
      rc = at.valid ? prev_entry(*this, &at) : rightmost(*this, &at);
      --steps;
    }
  }
  for (; rc == 0 && steps > 0 && at.valid; --steps) rc = count > 0 ? forward(*this, &at) : backward(*this, &at);
  if (rc != 0) return rc;
  remember(*this, at);
  if (!at.valid) {
    *off_start = count < 0;
    return 0;
  }
  *to = static_cast<long>(record_at(*this, at));
  return 0;
}

int dbfSeekN(Table* t, const char* text, int length) {
  if (!t || in_error(t->engine)) return -1;
  Tag* tag = tagSelected(t);
  if (!tag) return 80;
  if (!text) text = "";
  if (!tag->usable) return report_error(t->engine, kErrInfo, "Invalid key type in index file", tag->name.c_str());
  std::vector<unsigned char> key;
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
  std::vector<unsigned char> key(std::max(tag->key_length, kNumericKeyLength));
  if (tag->key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(value), key.data());
  else numeric_key(value, key.data());
  return seek_key(t, *tag, key, tag->key_length);
}

int tagRecordsInRange(Table* t, Tag* tag, const KeyBound* low, const KeyBound* high, std::vector<long>* out) {
  if (!t || !tag || !out || in_error(t->engine)) return -1;
  if (!tag->usable) return report_error(t->engine, kErrInfo, "Invalid key type in index file", tag->name.c_str());
  ReadLock lock(*tag);
  if (lock.rc() != 0) return lock.rc();
  int rc = 0;
  Position at;
  std::vector<unsigned char> key;
  unsigned compared = 0;
  if (low) {
    bound_key(*tag, *low, key, &compared);
    rc = low->inclusive ? seek_first(*tag, key.data(), compared, 0, &at)
                        : seek_after(*tag, key.data(), compared, &at);
  } else {
    rc = leftmost(*tag, &at);
  }
  std::vector<unsigned char> upper;
  unsigned upper_compared = 0;
  if (high) bound_key(*tag, *high, upper, &upper_compared);
  while (rc == 0 && at.valid) {
    const unsigned char* k = key_at(*tag, at);
    if (!k) return bad_index(*tag->index);
    if (high) {
      int c = std::memcmp(k, upper.data(), upper_compared);
      if (c > 0 || (c == 0 && !high->inclusive)) break;
    }
    out->push_back(static_cast<long>(record_at(*tag, at)));
    rc = next_entry(*tag, &at);
  }
  return rc;
}

}  // namespace qx::dbf
