// Tag headers: reading and writing the 1024-byte header of a tree, and
// turning a tag's key and filter texts into the means of computing keys.
#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/table_internal.h"

namespace qx::dbf::cdx {

namespace {

constexpr unsigned kPoolStart = 512;
constexpr unsigned kPoolSize = 512;

// A text of the expression pool at `at`, up to its terminating zero (or the
// pool's end).
std::string pool_text(const unsigned char* pool, unsigned at) {
  if (at >= kPoolSize) return {};
  const unsigned char* p = pool + at;
  size_t n = strnlen(reinterpret_cast<const char*>(p), kPoolSize - at);
  return std::string(reinterpret_cast<const char*>(p), n);
}

// Swaps a record image into the table's buffer for as long as it lives.
class ImageSwap {
 public:
  ImageSwap(Table* t, const char* image) : t_(t), saved_(t->record) {
    std::memcpy(t_->record.data(), image, t_->record_length);
  }
  ~ImageSwap() { t_->record.swap(saved_); }
  ImageSwap(const ImageSwap&) = delete;
  ImageSwap& operator=(const ImageSwap&) = delete;

 private:
  Table* t_;
  std::vector<char> saved_;
};

}  // namespace

int bad_index(Index& index, const char* detail) {
  return report_error(index.table->engine, kErrIndex, index.name.c_str(), detail);
}

int read_header(Tag& tag) {
  unsigned char h[kHeaderSize];
  int rc = read_bytes(*tag.index, tag.header_offset, h, sizeof h);
  if (rc != 0) return rc;
  tag.root = coding::get32le(h);
  tag.version = coding::get32le(h + 8);
  tag.key_length = coding::get16le(h + 12);
  tag.options = h[14];
  tag.descending = coding::get16le(h + 502) != 0;
  if (tag.key_length == 0 || tag.key_length > kMaxKeyLength) return bad_index(*tag.index, "key length");
  if (tag.root == 0 || tag.root % kPageSize != 0 || tag.root >= tag.index->end)
    return bad_index(*tag.index, "root page");
  if ((tag.options & kOptCompact) == 0) return bad_index(*tag.index, "not a compact index");
  const unsigned char* pool = h + kPoolStart;
  unsigned filter_at = coding::get16le(h + 504);
  unsigned filter_length = coding::get16le(h + 506);
  unsigned key_at = coding::get16le(h + 508);
  unsigned key_length = coding::get16le(h + 510);
  bool in_range = key_at < kPoolSize && filter_at < kPoolSize && key_length <= kPoolSize &&
                  filter_length <= kPoolSize;
  tag.key_text = pool_text(pool, in_range ? key_at : 0);
  if (!in_range) filter_at = static_cast<unsigned>(tag.key_text.size() + 1);
  tag.filter_text = filter_length > 1 || !in_range ? pool_text(pool, filter_at) : std::string();
  return 0;
}

int write_header(Tag& tag) {
  unsigned char h[kHeaderSize] = {};
  coding::put32le(h, tag.root);
  coding::put32le(h + 8, tag.version);
  coding::put16le(h + 12, static_cast<uint16_t>(tag.key_length));
  h[14] = tag.options;
  h[15] = 1;  // signature
  coding::put16le(h + 502, tag.descending ? 1 : 0);
  unsigned key_size = static_cast<unsigned>(tag.key_text.size() + 1);
  unsigned filter_size = static_cast<unsigned>(tag.filter_text.size() + 1);
  coding::put16le(h + 504, static_cast<uint16_t>(key_size));
  coding::put16le(h + 506, static_cast<uint16_t>(filter_size));
  coding::put16le(h + 508, 0);
  coding::put16le(h + 510, static_cast<uint16_t>(key_size));
  if (key_size + filter_size <= kPoolSize) {
    std::memcpy(h + kPoolStart, tag.key_text.data(), tag.key_text.size());
    std::memcpy(h + kPoolStart + key_size, tag.filter_text.data(), tag.filter_text.size());
  }
  return write_bytes(*tag.index, tag.header_offset, h, sizeof h);
}

int prepare_tag(Tag& tag, bool quiet_parse) {
  Table* t = tag.index->table;
  Engine* e = t->engine;
  int saved = e->lastError;
  int saved_quiet = e->quietErrors;
  if (quiet_parse) e->quietErrors = 1;
  int rc = resolve_key_source(t, tag.key_text, tag.key);
  if (rc == 0 && !tag.filter_text.empty() &&
      tag.filter_text.find_first_not_of(' ') != std::string::npos) {
    tag.filter = exprParse(t, with_short_names(tag.filter_text).c_str());
    if (!tag.filter) rc = e->lastError < 0 ? e->lastError : -1;
    else if (exprType(tag.filter) != 'L') rc = report_error(e, kErrIndex, "Filter should be Logical", tag.index->name.c_str());
  }
  e->quietErrors = saved_quiet;
  if (rc != 0 && quiet_parse) {
    // A tag written by a program with a richer key language still walks;
    // its keys cannot be computed here, so seeks and changes refuse it.
    e->lastError = saved;
    tag.usable = false;
    tag.key.kind = KeySource::kUnsupported;
    return 0;
  }
  if (rc != 0) return rc;
  unsigned base = tag.key_length - (tag.nullable() ? 1 : 0);
  bool fits = tag.key.type == 'C' ||
              (tag.key.kind == KeySource::kIntegerField ? base == kIntegerKeyLength
                                                         : base == kNumericKeyLength);
  if (tag.key.kind == KeySource::kUnsupported || !fits || tag.nullable()) tag.usable = false;
  return 0;
}

int record_key(Tag& tag, unsigned char* key, bool* in_filter) {
  Table* t = tag.index->table;
  if (!tag.usable) return report_error(t->engine, kErrInfo, "Invalid key type in index file", tag.name.c_str());
  *in_filter = true;
  if (tag.filter) {
    int r = exprTrue(tag.filter);
    if (r < 0) return r;
    *in_filter = r == 1;
  }
  return make_key(tag.key, t, tag.key_length, key);
}

int image_key(Tag& tag, const char* image, unsigned char* key, bool* in_filter) {
  ImageSwap swap(tag.index->table, image);
  return record_key(tag, key, in_filter);
}

}  // namespace qx::dbf::cdx

namespace qx::dbf {

int Tag::uniqueness() const {
  if (!is_unique()) return 0;
  return unique_from_file ? index->table->engine->uniqueDefault : unique_setting;
}

Tag::~Tag() {
  if (key.expression) exprFree(key.expression);
  if (filter) exprFree(filter);
}

}  // namespace qx::dbf
