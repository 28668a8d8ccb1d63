// The inside of a query, shared by the walk (relation.cpp) and the part that
// takes matching records from tags (relation_plan.cpp).
#ifndef QX_DBF_RELATION_INTERNAL_H
#define QX_DBF_RELATION_INTERNAL_H

#include <cstdint>
#include <string>
#include <vector>

#include "dbf/relation.h"

namespace qx::dbf {

struct Expr;
struct Table;

// Record numbers 1..size as bits.
class RecordSet {
 public:
  void reset(long size, bool all);
  long size() const { return size_; }
  bool has(long n) const {
    return n >= 1 && n <= size_ && (bits_[word(n)] >> bit(n) & 1) != 0;
  }
  void add(long n) {
    if (n >= 1 && n <= size_) bits_[word(n)] |= uint64_t{1} << bit(n);
  }
  void remove(long n) {
    if (n >= 1 && n <= size_) bits_[word(n)] &= ~(uint64_t{1} << bit(n));
  }
  void intersect(const RecordSet& other);
  void unite(const RecordSet& other);
  // Every record 1..size that was not a member, and none that was.
  void complement();
  // The first member at or after `n` / at or before `n`; 0 when none.
  long next(long n) const;
  long previous(long n) const;
  long count() const;

 private:
  static size_t word(long n) { return static_cast<size_t>(n - 1) / 64; }
  static unsigned bit(long n) { return static_cast<unsigned>(n - 1) % 64; }
  long size_ = 0;
  std::vector<uint64_t> bits_;
};

struct Relation {
  Table* table = nullptr;
  std::string query;        // empty: every record matches
  Expr* expr = nullptr;     // parsed on the first relTop after relSetQuery
  RecordSet matches;        // settled by relTop
  bool started = false;
  bool used_tags = false;
};

// What the tags can say about the query: the records that may match, and
// whether they are exactly the matching ones.  False when no tag helps (a
// negative *rc is an error of reading a tag).
struct TagAnswer {
  RecordSet records;
  bool exact = false;
};
bool answer_from_tags(Relation* relation, long count, TagAnswer* answer, int* rc);

}  // namespace qx::dbf

#endif  // QX_DBF_RELATION_INTERNAL_H
