// Matching records from tags: where a query compares a tag's key expression
// with a constant (=, #, <>, <, <=, >, >=), the tag gives the records of the
// matching key range without reading a record; .AND. intersects what its
// sides give, .OR. unites it and .NOT. turns an exact answer over.  A side
// no tag can answer leaves an .AND. with the other side's records as
// candidates, which relTop then tests one by one; an .OR. with such a side
// gets nothing from the tags.
//
// A tag answers only when its keys are exactly the values of its key
// expression for every record: no filter, not unique (a unique tag leaves
// the later records of a key out), and for text keys the expression's full
// length.
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/expr_internal.h"
#include "dbf/relation_internal.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

struct TagKey {
  Tag* tag;
  Expr* expr;
};

bool is_comparison(OpId id) {
  switch (id) {
    case OpId::kEqual: case OpId::kNotEqual: case OpId::kGreaterEqual: case OpId::kLessEqual:
    case OpId::kGreater: case OpId::kLess:
      return true;
    default:
      return false;
  }
}

// The comparison with its sides swapped: c < K is K > c.
OpId mirrored(OpId id) {
  switch (id) {
    case OpId::kGreaterEqual: return OpId::kLessEqual;
    case OpId::kLessEqual: return OpId::kGreaterEqual;
    case OpId::kGreater: return OpId::kLess;
    case OpId::kLess: return OpId::kGreater;
    default: return id;
  }
}

// Whether instructions [begin, end] of `a` are the whole program of `b`.
bool same_program(const Expr* a, int begin, int end, const Expr* b) {
  if (static_cast<int>(b->code.size()) != end - begin + 1) return false;
  for (int i = begin; i <= end; ++i) {
    const Instr& x = a->code[static_cast<size_t>(i)];
    const Instr& y = b->code[static_cast<size_t>(i - begin)];
    if (x.row != y.row || x.field != y.field || x.length != y.length || x.p1 != y.p1 ||
        x.p2 != y.p2 || x.number != y.number)
      return false;
    OpId id = x.row->id;
    if (id == OpId::kTextConstant &&
        a->constants.compare(static_cast<size_t>(x.offset), static_cast<size_t>(x.length),
                             b->constants, static_cast<size_t>(y.offset),
                             static_cast<size_t>(y.length)) != 0)
      return false;
    if ((id == OpId::kDtoc || id == OpId::kCtod) &&
        a->constants.compare(static_cast<size_t>(x.p2), static_cast<size_t>(x.p1), b->constants,
                             static_cast<size_t>(y.p2), static_cast<size_t>(y.p1)) != 0)
      return false;
  }
  return true;
}

class Planner {
 public:
  Planner(Relation* r, long count) : r_(r), count_(count) { parse_tag_keys(); }
  ~Planner() {
    for (TagKey& k : keys_) exprFree(k.expr);
  }
  Planner(const Planner&) = delete;
  Planner& operator=(const Planner&) = delete;

  int rc() const { return rc_; }

  // What the tags say about the subexpression ending at instruction `node`;
  // false when they cannot say anything.
  bool plan(int node, TagAnswer* out) {
    if (rc_ < 0 || keys_.empty()) return false;
    const Instr& in = code(node);
    OpId id = in.row->id;
    if (id == OpId::kAnd || id == OpId::kOr) return plan_logic(node, id == OpId::kAnd, out);
    if (id == OpId::kNot) return plan_not(node, out);
    if (is_comparison(id)) return plan_comparison(node, id, out);
    return false;
  }

 private:
  const Instr& code(int i) const { return r_->expr->code[static_cast<size_t>(i)]; }
  int right_of(int node) const { return node - 1; }
  int left_of(int node) const { return code(node - 1).start - 1; }

  // The key expressions of the tags that can answer, parsed quietly: a tag
  // whose expression does not parse is just of no help.
  void parse_tag_keys() {
    Table* t = r_->table;
    Engine* e = t->engine;
    int report = e->reportExpressionFailure;
    int last = e->lastError;
    e->reportExpressionFailure = 0;
    for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag)) {
      const char* filter = tagFilterSource(tag);
      if ((filter && *filter) || tagUnique(tag)) continue;
      Expr* key = exprParse(t, tagExpressionSource(tag));
      if (!key) continue;
      char type = exprType(key);
      bool fits = type == tagKeyType(tag) && (type == 'N' || type == 'D' ||
                                               (type == 'C' && exprKeyLength(key) == tagKeyLength(tag)));
      if (fits) keys_.push_back({tag, key});
      else exprFree(key);
    }
    e->reportExpressionFailure = report;
    e->lastError = last;
  }

  const TagKey* tag_for(int begin, int end) const {
    for (const TagKey& k : keys_)
      if (same_program(r_->expr, begin, end, k.expr)) return &k;
    return nullptr;
  }

  bool plan_logic(int node, bool is_and, TagAnswer* out) {
    // A lower and an upper bound on one tag make one key range.
    Range low, high;
    if (is_and && pending(left_of(node), &low) && pending(right_of(node), &high) &&
        low.key == high.key) {
      if (!low.low) std::swap(low, high);
      if (low.low && !low.high && high.high && !high.low) {
        low.high = high.high;
        low.high_bound = high.high_bound;
        low.high_text = std::move(high.high_text);
        return read_range(low, out);
      }
    }
    TagAnswer left, right;
    bool has_left = plan(left_of(node), &left);
    bool has_right = plan(right_of(node), &right);
    if (rc_ < 0) return false;
    if (is_and) {
      if (!has_left && !has_right) return false;
      if (!has_left || !has_right) {
        *out = std::move(has_left ? left : right);
        out->exact = false;
        return true;
      }
      left.records.intersect(right.records);
    } else {
      if (!has_left || !has_right) return false;
      left.records.unite(right.records);
    }
    out->records = std::move(left.records);
    out->exact = left.exact && right.exact;
    return true;
  }

  // Only an exact answer can be turned over: candidates may hold records
  // that do not match, whose complement would miss matching ones.
  bool plan_not(int node, TagAnswer* out) {
    if (!plan(node - 1, out) || !out->exact) return false;
    out->records.complement();
    return true;
  }

  bool is_constant(int begin, int end) const {
    for (int i = begin; i <= end; ++i)
      if (code(i).depends & kOnRecord) return false;
    return true;
  }

  // A key range not read yet: a comparison of a tag's key expression with a
  // constant.  The texts of character bounds live in the range itself.
  struct Range {
    const TagKey* key = nullptr;
    bool low = false, high = false;
    KeyBound low_bound{}, high_bound{};
    std::string low_text, high_text;
  };

  // The range of the comparison ending at `node` (not # or <>, which are
  // two ranges); false when it is no such comparison.
  bool pending(int node, Range* out) {
    const Instr& in = code(node);
    if (!is_comparison(in.row->id) || in.row->id == OpId::kNotEqual) return false;
    KeyBound bound;
    std::string text;
    OpId id;
    const TagKey* key = compared_key(node, &id, &bound, &text);
    if (!key) return false;
    out->key = key;
    bool exclusive = id == OpId::kGreater || id == OpId::kLess;
    bound.inclusive = !exclusive;
    out->low = id == OpId::kEqual || id == OpId::kGreaterEqual || id == OpId::kGreater;
    out->high = id == OpId::kEqual || id == OpId::kLessEqual || id == OpId::kLess;
    out->low_bound = out->high_bound = bound;
    out->low_text = out->high_text = text;
    return true;
  }

  // The tag whose key the comparison at `node` compares with a constant, the
  // comparison as key-op-constant in *id, and the constant as a bound.
  const TagKey* compared_key(int node, OpId* id, KeyBound* bound, std::string* text) {
    int right_end = right_of(node), right_begin = code(right_end).start;
    int left_end = left_of(node), left_begin = code(left_end).start;
    const TagKey* key = nullptr;
    int constant_begin = 0, constant_end = 0;
    *id = code(node).row->id;
    if (is_constant(right_begin, right_end)) {
      key = tag_for(left_begin, left_end);
      constant_begin = right_begin;
      constant_end = right_end;
    } else if (is_constant(left_begin, left_end) && code(left_end).type != ValueType::kText) {
      // A text constant on the left compares over the key's own length,
      // which a range of the tag does not express.
      key = tag_for(right_begin, right_end);
      constant_begin = left_begin;
      constant_end = left_end;
      *id = mirrored(*id);
    }
    if (!key) return nullptr;
    const Value& v = expr_run(r_->expr, constant_begin, constant_end + 1);
    *bound = KeyBound{nullptr, 0, v.number, true};
    if (code(constant_end).type == ValueType::kText) {
      text->assign(v.text, static_cast<size_t>(v.length));
      // The tag compares over the constant's length as the expression does,
      // within the key's length.
      if (text->empty() || static_cast<int>(text->size()) > tagKeyLength(key->tag)) return nullptr;
      bound->length = static_cast<int>(text->size());
    } else if (std::isnan(v.number)) {
      return nullptr;
    }
    return key;
  }

  bool plan_comparison(int node, OpId id, TagAnswer* out) {
    Range r;
    if (id != OpId::kNotEqual) return pending(node, &r) && read_range(r, out);
    // Not equal: below the constant, and above it.
    KeyBound bound;
    std::string text;
    const TagKey* key = compared_key(node, &id, &bound, &text);
    if (!key) return false;
    bound.text = text.c_str();
    bound.inclusive = false;
    out->records.reset(count_, false);
    out->exact = true;
    return add_range(key, nullptr, &bound, out) && add_range(key, &bound, nullptr, out);
  }

  bool read_range(Range& r, TagAnswer* out) {
    r.low_bound.text = r.low_text.c_str();
    r.high_bound.text = r.high_text.c_str();
    out->records.reset(count_, false);
    out->exact = true;
    return add_range(r.key, r.low ? &r.low_bound : nullptr, r.high ? &r.high_bound : nullptr, out);
  }

  // Adds the records of the key range to *out.
  bool add_range(const TagKey* key, const KeyBound* low, const KeyBound* high, TagAnswer* out) {
    records_.clear();
    int rc = tagRecordsInRange(r_->table, key->tag, low, high, &records_);
    if (rc != 0) {
      // A tag that is locked by another user is passed by; an error stops.
      if (rc < 0) rc_ = rc;
      return false;
    }
    for (long n : records_) out->records.add(n);
    return true;
  }

  Relation* r_;
  long count_;
  std::vector<TagKey> keys_;
  std::vector<long> records_;
  int rc_ = 0;
};

}  // namespace

bool answer_from_tags(Relation* r, long count, TagAnswer* answer, int* rc) {
  Planner planner(r, count);
  bool answered = planner.plan(static_cast<int>(r->expr->code.size()) - 1, answer);
  *rc = planner.rc();
  return answered && planner.rc() == 0;
}

}  // namespace qx::dbf
