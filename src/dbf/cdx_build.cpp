// Building a tag in one pass: the keys of every record, sorted (through
// temporary files when they exceed the sort memory), packed greedily into
// leaves written one after the other, and the levels above them built from
// the last pair of each page below.
#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/sort_internal.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {
size_t g_sort_memory = size_t{64} << 20;
}  // namespace

void setIndexSortMemory(size_t bytes) { g_sort_memory = std::max<size_t>(bytes, 4096); }

namespace cdx {

size_t sort_memory_limit() { return g_sort_memory; }

namespace {

// Pages go out in the order they are allocated, gathered into larger writes.
class PageWriter {
 public:
  explicit PageWriter(Index& index) : index_(index) {}
  int put(const Node& node, unsigned char fill) {
    if (buffer_.empty()) base_ = node.offset;
    if (node.offset != base_ + buffer_.size()) {
      int rc = flush();
      if (rc != 0) return rc;
      base_ = node.offset;
    }
    size_t at = buffer_.size();
    buffer_.resize(at + kPageSize);
    if (!encode_page(node, fill, buffer_.data() + at)) return bad_index(index_, "page overflow");
    return buffer_.size() >= (size_t{64} << 10) ? flush() : 0;
  }
  int flush() {
    if (buffer_.empty()) return 0;
    int rc = write_bytes(index_, base_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return rc;
  }

 private:
  Index& index_;
  std::vector<unsigned char> buffer_;
  uint64_t base_ = 0;
};

// The (last key, last record, page) of each page of a level, for the level
// above.
struct Level {
  unsigned key_length;
  std::vector<unsigned char> keys;
  std::vector<uint32_t> records;
  std::vector<uint32_t> pages;
  void add(const Node& node) {
    keys.insert(keys.end(), node.key(node.count() - 1), node.key(node.count() - 1) + key_length);
    records.push_back(node.last_record());
    pages.push_back(node.offset);
  }
};

// Packs sorted entries into leaves.  A leaf is written once the next one
// has its page, so that its right sibling is known.
class LeafPacker {
 public:
  LeafPacker(Tag& tag, PageWriter& out, Level& above) : tag_(tag), out_(out), above_(above) {
    start_leaf();
  }
  int add(const unsigned char* key, uint32_t record) {
    const unsigned kl = tag_.key_length;
    unsigned trail = trailing_fill(key, kl, tag_.fill());
    unsigned dup = current_.count() == 0
                       ? 0
                       : dup_count(current_.key(current_.count() - 1), prev_trail_, key, trail, kl);
    size_t stored = stored_ + kl - dup - trail;
    uint32_t largest = std::max(largest_, record);
    // The width changes only with the largest record number.
    unsigned width = largest == largest_ ? width_ : entry_width(kl, largest);
    if (current_.count() > 0 && stored + (current_.count() + 1) * width > kLeafArea) {
      int rc = finish_leaf(false);
      if (rc != 0) return rc;
      start_leaf();
      stored = kl - trail;
      largest = record;
      width = entry_width(kl, largest);
    }
    current_.append(key, record, 0);
    stored_ = stored;
    largest_ = largest;
    width_ = width;
    prev_trail_ = trail;
    return 0;
  }
  int finish() { return finish_leaf(true); }
  size_t leaves() const { return leaves_; }

 private:
  void start_leaf() {
    uint32_t offset = allocate_pages(*tag_.index, 1);
    if (leaves_ > 0) held_.right = offset;
    current_.reset(tag_.key_length, kAttrLeaf);
    current_.offset = offset;
    current_.left = leaves_ > 0 ? held_.offset : kNoPage;
    stored_ = 0;
    largest_ = 0;
    width_ = 0;
    prev_trail_ = 0;
  }
  int finish_leaf(bool last) {
    if (leaves_ > 0) {
      int rc = out_.put(held_, tag_.fill());
      if (rc != 0) return rc;
    }
    std::swap(held_, current_);  // the next leaf reuses the old buffer
    ++leaves_;
    if (held_.count()) above_.add(held_);
    if (!last) return 0;
    held_.right = kNoPage;
    if (leaves_ == 1) held_.attributes |= kAttrRoot;
    return out_.put(held_, tag_.fill());
  }

  Tag& tag_;
  PageWriter& out_;
  Level& above_;
  Node current_;
  Node held_;
  size_t leaves_ = 0;
  size_t stored_ = 0;
  uint32_t largest_ = 0;
  unsigned width_ = 0;
  unsigned prev_trail_ = 0;
};

// Builds the interior levels over `level` until one page remains: the root.
int build_interior(Tag& tag, PageWriter& out, Level level, uint32_t* root) {
  const unsigned kl = tag.key_length;
  const size_t capacity = interior_capacity(kl);
  while (level.pages.size() > 1) {
    Level above{kl, {}, {}, {}};
    size_t n = level.pages.size();
    size_t pages = (n + capacity - 1) / capacity;
    uint32_t first = allocate_pages(*tag.index, static_cast<unsigned>(pages));
    for (size_t p = 0; p < pages; ++p) {
      // Spread the entries evenly so that no page is left nearly empty.
      size_t begin = n * p / pages, end = n * (p + 1) / pages;
      Node node;
      node.reset(kl, pages == 1 ? kAttrRoot : 0);
      node.offset = first + static_cast<uint32_t>(p * kPageSize);
      node.left = p == 0 ? kNoPage : node.offset - kPageSize;
      node.right = p + 1 == pages ? kNoPage : node.offset + kPageSize;
      for (size_t i = begin; i < end; ++i)
        node.append(level.keys.data() + i * kl, level.records[i], level.pages[i]);
      int rc = out.put(node, tag.fill());
      if (rc != 0) return rc;
      above.add(node);
    }
    level = std::move(above);
  }
  *root = level.pages.front();
  return 0;
}

// Feeds every record's key (and record number, big-endian, so that equal
// keys sort by record) to the sorter.
int gather_keys(Tag& tag, KeySorter& sorter) {
  Table* t = tag.index->table;
  long count = dbfRecordCount(t);
  if (count < 0) return report_error(t->engine, kErrRead, t->name.c_str());
  const unsigned kl = tag.key_length;
  std::vector<unsigned char> item(kl + 4);
  std::vector<char> saved = t->record;
  size_t per_read = std::max<size_t>(1, (size_t{256} << 10) / t->record_length);
  std::vector<char> chunk(per_read * t->record_length);
  int rc = 0;
  for (long next = 1; rc == 0 && next <= count;) {
    size_t batch = std::min<size_t>(per_read, static_cast<size_t>(count - next + 1));
    uint64_t at = t->header_length + static_cast<uint64_t>(next - 1) * t->record_length;
    rc = file_read_all(t->file, at, chunk.data(), batch * t->record_length);
    for (size_t i = 0; rc == 0 && i < batch; ++i) {
      std::memcpy(t->record.data(), chunk.data() + i * t->record_length, t->record_length);
      bool take = true;
      rc = record_key(tag, item.data(), &take);
      if (rc != 0 || !take) continue;
      coding::put32be(item.data() + kl, static_cast<uint32_t>(next + static_cast<long>(i)));
      rc = sorter.add(item.data());
    }
    next += static_cast<long>(batch);
  }
  t->record.swap(saved);
  return rc;
}

}  // namespace

int build_tag(Tag& tag, bool keep_header) {
  Index& index = *tag.index;
  Engine* e = index.table->engine;
  const unsigned kl = tag.key_length;
  KeySorter sorter(e, kl + 4, sort_memory_limit());
  int rc = gather_keys(tag, sorter);
  if (rc == 0) rc = sorter.finish();
  if (rc != 0) return rc;

  if (!keep_header) tag.header_offset = allocate_pages(index, 2);
  tag.cache.clear();
  tag.cursor.valid = false;
  PageWriter out(index);
  Level leaves{kl, {}, {}, {}};
  LeafPacker packer(tag, out, leaves);
  const uint32_t first_leaf = static_cast<uint32_t>(index.end - kPageSize);
  int unique = tag.uniqueness();
  std::vector<unsigned char> prev(kl);
  bool have_prev = false;
  const unsigned char* item = nullptr;
  int got;
  while ((got = sorter.next(&item)) == 1) {
    if (unique && have_prev && std::memcmp(prev.data(), item, kl) == 0) {
      if (unique == kUnique) return kUnique;
      if (unique == kErrUnique) return report_error(e, kErrUnique, "Creating Tag", tag.name.c_str());
      continue;  // the first record of each key stays
    }
    std::memcpy(prev.data(), item, kl);
    have_prev = true;
    rc = packer.add(item, coding::get32be(item + kl));
    if (rc != 0) return rc;
  }
  if (got < 0) return got;
  rc = packer.finish();
  if (rc != 0) return rc;
  if (leaves.pages.empty()) {
    // An empty tag: its single leaf is the root.
    tag.root = first_leaf;
  } else {
    rc = build_interior(tag, out, std::move(leaves), &tag.root);
    if (rc != 0) return rc;
  }
  rc = out.flush();
  if (rc != 0) return rc;
  ++tag.version;
  return write_header(tag);
}

int write_file(Index& index) {
  int rc = file_set_length(index.file, 0);
  if (rc != 0) return rc;
  index.end = 0;
  drop_caches(index);
  Tag& dir = index.directory;
  dir.header_offset = allocate_pages(index, 2);
  dir.key_length = kTagNameLength;
  dir.options = kDirectoryOptions;
  dir.descending = false;
  dir.key_text.clear();
  dir.filter_text.clear();
  Node root;
  root.reset(kTagNameLength, kAttrRoot | kAttrLeaf);
  root.offset = allocate_pages(index, 1);
  dir.root = root.offset;
  ++dir.version;
  unsigned char page[kPageSize];
  encode_page(root, ' ', page);
  rc = write_header(dir);
  if (rc == 0) rc = write_bytes(index, root.offset, page, kPageSize);
  for (auto& t : index.tags) {
    if (rc != 0) break;
    rc = build_tag(*t);
    if (rc != 0) break;
    unsigned char name[kTagNameLength];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, t->name.data(), std::min<size_t>(t->name.size(), kTagNameLength));
    rc = insert_key(dir, name, t->header_offset);
  }
  std::stable_sort(index.tags.begin(), index.tags.end(),
                   [](const std::unique_ptr<Tag>& a, const std::unique_ptr<Tag>& b) { return a->name < b->name; });
  return rc;
}

}  // namespace cdx

}  // namespace qx::dbf
