// Decoding and encoding the pages of a compound index file, with the leaf
// pages' key compression.
#include <algorithm>

#include "core/coding.h"
#include "dbf/cdx_page_internal.h"

namespace qx::dbf::cdx {

namespace {

struct LeafWidths {
  unsigned record_bits;
  unsigned dup_bits;
  unsigned trail_bits;
  unsigned entry_bytes;
};

// The smallest widths that hold every record number of the page: the
// duplicate and trailing counts take as many bits as the key length needs,
// the record number what remains of whole bytes.  An empty page takes three
// bytes per entry, as the files' own writers leave it.
LeafWidths widths_for(unsigned key_length, uint32_t largest_record, bool empty) {
  LeafWidths w;
  w.dup_bits = w.trail_bits = bit_length(key_length);
  unsigned needed = bit_length(largest_record) + w.dup_bits + w.trail_bits;
  w.entry_bytes = empty ? 3 : std::max(1u, (needed + 7) / 8);
  w.record_bits = 8 * w.entry_bytes - w.dup_bits - w.trail_bits;
  return w;
}

uint64_t mask_of(unsigned bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

unsigned common_prefix(const unsigned char* a, const unsigned char* b, unsigned length) {
  unsigned n = 0;
  while (n < length && a[n] == b[n]) ++n;
  return n;
}

bool decode_leaf(const unsigned char* page, unsigned key_length, unsigned char fill, Node& node) {
  size_t n = coding::get16le(page + 2);
  unsigned rb = page[20], db = page[21], tb = page[22], eb = page[23];
  if (eb < 1 || eb > 8 || db > 16 || tb > 16 || rb + db + tb > 8 * eb) return false;
  if (n * eb > kLeafArea) return false;
  uint64_t rec_mask = mask_of(rb), dup_mask = mask_of(db), trail_mask = mask_of(tb);
  node.grow(n);
  size_t pos = kPageSize;
  const size_t floor = kLeafStart + n * eb;
  for (size_t i = 0; i < n; ++i) {
    uint64_t v = 0;
    const unsigned char* e = page + kLeafStart + i * eb;
    for (unsigned b = 0; b < eb; ++b) v |= uint64_t{e[b]} << (8 * b);
    uint64_t record = v & rec_mask;
    unsigned dup = static_cast<unsigned>((v >> rb) & dup_mask);
    unsigned trail = static_cast<unsigned>((v >> (rb + db)) & trail_mask);
    if (record > 0xFFFFFFFFu || dup + trail > key_length) return false;
    unsigned stored = key_length - dup - trail;
    if (pos < floor + stored) return false;
    pos -= stored;
    unsigned char* key = node.key(i);
    // The shared bytes come from the key before (the first key shares
    // nothing with a key of fill bytes but fill bytes).
    if (i == 0) std::memset(key, fill, dup);
    else std::memcpy(key, node.key(i - 1), dup);
    std::memcpy(key + dup, page + pos, stored);
    std::memset(key + dup + stored, fill, trail);
    node.set_record(i, static_cast<uint32_t>(record));
  }
  return true;
}

bool decode_interior(const unsigned char* page, unsigned key_length, Node& node) {
  size_t n = coding::get16le(page + 2);
  if (n > interior_capacity(key_length)) return false;
  node.grow(n);
  const unsigned char* e = page + 12;
  for (size_t i = 0; i < n; ++i, e += key_length + 8) {
    node.set_key(i, e);
    node.set_record(i, coding::get32be(e + key_length));
    node.set_child(i, coding::get32be(e + key_length + 4));
  }
  return true;
}

void encode_header(const Node& node, unsigned char* page) {
  coding::put16le(page, node.attributes);
  coding::put16le(page + 2, static_cast<uint16_t>(node.count()));
  coding::put32le(page + 4, node.left);
  coding::put32le(page + 8, node.right);
}

bool encode_leaf(const Node& node, unsigned char fill, unsigned char* page) {
  const unsigned kl = node.key_length();
  const size_t n = node.count();
  uint32_t largest = 0;
  for (size_t i = 0; i < n; ++i) largest = std::max(largest, node.record(i));
  LeafWidths w = widths_for(kl, largest, n == 0);
  size_t pos = kPageSize;
  unsigned prev_trail = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char* key = node.key(i);
    unsigned trail = trailing_fill(key, kl, fill);
    unsigned dup = i == 0 ? 0 : dup_count(node.key(i - 1), prev_trail, key, trail, kl);
    unsigned stored = kl - dup - trail;
    size_t entries_end = kLeafStart + (i + 1) * w.entry_bytes;
    if (pos < entries_end + stored) return false;
    pos -= stored;
    std::memcpy(page + pos, key + dup, stored);
    uint64_t v = node.record(i) | (uint64_t{dup} << w.record_bits) |
                 (uint64_t{trail} << (w.record_bits + w.dup_bits));
    unsigned char* e = page + kLeafStart + i * w.entry_bytes;
    for (unsigned b = 0; b < w.entry_bytes; ++b) e[b] = static_cast<unsigned char>(v >> (8 * b));
    prev_trail = trail;
  }
  size_t used_entries = kLeafStart + n * w.entry_bytes;
  std::memset(page + used_entries, 0, pos - used_entries);
  encode_header(node, page);
  coding::put16le(page + 12, static_cast<uint16_t>(pos - used_entries));
  coding::put32le(page + 14, static_cast<uint32_t>(mask_of(std::min(w.record_bits, 32u))));
  page[18] = static_cast<unsigned char>(mask_of(w.dup_bits));
  page[19] = static_cast<unsigned char>(mask_of(w.trail_bits));
  page[20] = static_cast<unsigned char>(w.record_bits);
  page[21] = static_cast<unsigned char>(w.dup_bits);
  page[22] = static_cast<unsigned char>(w.trail_bits);
  page[23] = static_cast<unsigned char>(w.entry_bytes);
  return true;
}

void encode_interior(const Node& node, unsigned char* page) {
  const unsigned kl = node.key_length();
  std::memset(page, 0, kPageSize);
  encode_header(node, page);
  unsigned char* e = page + 12;
  for (size_t i = 0; i < node.count(); ++i, e += kl + 8) {
    std::memcpy(e, node.key(i), kl);
    coding::put32be(e + kl, node.record(i));
    coding::put32be(e + kl + 4, node.child(i));
  }
}

}  // namespace

unsigned dup_count(const unsigned char* prev, unsigned prev_trail, const unsigned char* key,
                   unsigned trail, unsigned length) {
  unsigned shared = common_prefix(prev, key, length);
  return std::min({shared, length - trail, length - prev_trail});
}

unsigned entry_width(unsigned key_length, uint32_t largest_record) {
  return widths_for(key_length, largest_record, false).entry_bytes;
}

unsigned bit_length(uint64_t value) {
  unsigned n = 0;
  while (value) {
    ++n;
    value >>= 1;
  }
  return n;
}

void Node::insert(size_t at, const unsigned char* k, uint32_t record, uint32_t child) {
  data_.insert(data_.begin() + static_cast<std::ptrdiff_t>(at * stride_), stride_, static_cast<unsigned char>(0));
  ++count_;
  set_key(at, k);
  set_record(at, record);
  if (!leaf()) set_child(at, child);
}

void Node::erase(size_t at) {
  auto from = data_.begin() + static_cast<std::ptrdiff_t>(at * stride_);
  data_.erase(from, from + stride_);
  --count_;
}

bool decode_page(const unsigned char* page, uint32_t offset, unsigned key_length,
                 unsigned char fill, Node& node) {
  node.reset(key_length, coding::get16le(page));
  node.offset = offset;
  node.left = coding::get32le(page + 4);
  node.right = coding::get32le(page + 8);
  return node.leaf() ? decode_leaf(page, key_length, fill, node)
                     : decode_interior(page, key_length, node);
}

size_t leaf_bytes(const Node& node, size_t from, size_t to, unsigned char fill) {
  const unsigned kl = node.key_length();
  uint32_t largest = 0;
  size_t stored = 0;
  unsigned prev_trail = 0;
  for (size_t i = from; i < to; ++i) {
    const unsigned char* key = node.key(i);
    unsigned trail = trailing_fill(key, kl, fill);
    unsigned dup = i == from ? 0 : dup_count(node.key(i - 1), prev_trail, key, trail, kl);
    stored += kl - dup - trail;
    largest = std::max(largest, node.record(i));
    prev_trail = trail;
  }
  LeafWidths w = widths_for(kl, largest, from == to);
  return stored + (to - from) * w.entry_bytes;
}

bool encode_page(const Node& node, unsigned char fill, unsigned char* page) {
  if (node.leaf()) return encode_leaf(node, fill, page);
  encode_interior(node, page);
  return true;
}

}  // namespace qx::dbf::cdx
