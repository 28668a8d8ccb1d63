// The pages of a compound index file.  Every tree of the file (the tag
// directory and one per tag) is made of 512-byte pages at offsets that are
// multiples of 512:
//
//   common header (12 bytes): attributes (bit 1 root, bit 2 leaf), key
//     count, left and right sibling offsets (-1 for none), little-endian;
//   interior page: from byte 12, entries of key length + 8 bytes, each the
//     highest key of a child subtree, then that key's record number and the
//     child's offset, both big-endian;
//   leaf page: free bytes of the 488-byte area, the masks and bit widths of
//     the packed entries, then the entries from byte 24 (record number in the
//     low bits, then the count of bytes shared with the previous key, then the
//     count of fill bytes cut from the end) and the stored key bytes packed
//     from the end of the page towards the front.
//
// A page is decoded into a Node whose keys are whole (key length bytes
// each), and encoded from one; widths are chosen per page from its largest
// record number, as the files' own writers do.
#ifndef QX_DBF_CDX_PAGE_INTERNAL_H
#define QX_DBF_CDX_PAGE_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/coding.h"

namespace qx::dbf::cdx {

constexpr unsigned kPageSize = 512;
constexpr unsigned kHeaderSize = 1024;
constexpr unsigned kLeafArea = 488;
constexpr unsigned kLeafStart = 24;
constexpr unsigned kInteriorArea = 500;
constexpr unsigned kMaxKeyLength = 240;
constexpr uint32_t kNoPage = 0xFFFFFFFF;

constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;

// A decoded page.  Its entries lie in one buffer, each the whole key (key
// length bytes), the record number and, on interior pages, the child's
// offset: one allocation per page, and a search reads each entry's key and
// record side by side.  Whether the page is a leaf fixes the entries' shape,
// so it is set by reset() and never changed while the page has entries.
class Node {
 public:
  uint32_t offset = 0;
  uint16_t attributes = 0;
  uint32_t left = kNoPage;
  uint32_t right = kNoPage;

  // Empties the page and gives it its key length and attributes.
  void reset(unsigned key_length, uint16_t attributes_value) {
    key_length_ = key_length;
    attributes = attributes_value;
    stride_ = key_length + (leaf() ? 4u : 8u);
    count_ = 0;
    data_.clear();
  }

  bool leaf() const { return (attributes & kAttrLeaf) != 0; }
  bool root() const { return (attributes & kAttrRoot) != 0; }
  unsigned key_length() const { return key_length_; }
  size_t count() const { return count_; }
  // Bytes of the entries, and of the buffer that holds them.
  size_t size() const { return data_.size(); }
  size_t capacity() const { return data_.capacity(); }

  const unsigned char* key(size_t i) const { return entry(i); }
  unsigned char* key(size_t i) { return entry(i); }
  uint32_t record(size_t i) const { return load(entry(i) + key_length_); }
  uint32_t child(size_t i) const { return load(entry(i) + key_length_ + 4); }
  uint32_t last_record() const { return record(count_ - 1); }
  void set_record(size_t i, uint32_t record) { store(entry(i) + key_length_, record); }
  void set_key(size_t i, const unsigned char* k) { std::memcpy(entry(i), k, key_length_); }

  // Makes room for `n` entries at the end, to be filled through key(),
  // set_record() and set_child(); their contents are undefined until then.
  void grow(size_t n) {
    count_ += n;
    data_.resize(count_ * stride_);
  }
  void set_child(size_t i, uint32_t child) { store(entry(i) + key_length_ + 4, child); }

  // Asks the processor for every line of the entries at once: a search
  // then waits for memory about once per page instead of once per probe.
  void prefetch() const {
    for (size_t at = 0; at < data_.size(); at += 64) __builtin_prefetch(data_.data() + at);
  }

  void insert(size_t at, const unsigned char* k, uint32_t record, uint32_t child);
  void erase(size_t at);
  void append(const unsigned char* k, uint32_t record, uint32_t child) {
    grow(1);
    set_key(count_ - 1, k);
    set_record(count_ - 1, record);
    if (!leaf()) set_child(count_ - 1, child);
  }

 private:
  const unsigned char* entry(size_t i) const { return data_.data() + i * stride_; }
  unsigned char* entry(size_t i) { return data_.data() + i * stride_; }
  static uint32_t load(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static void store(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }

  unsigned key_length_ = 0;
  unsigned stride_ = 4;
  size_t count_ = 0;
  std::vector<unsigned char> data_;
};

// Reads a page into `node`; false when the page contradicts itself (counts
// or widths that do not fit the page, stored lengths past the key).
bool decode_page(const unsigned char* page, uint32_t offset, unsigned key_length,
                 unsigned char fill, Node& node);

// How many interior entries a page holds for a key length.
inline unsigned interior_capacity(unsigned key_length) { return kInteriorArea / (key_length + 8); }

// The bytes a leaf needs for entries [from, to) of `node` (entry array and
// stored keys); the page holds them when this is at most 488.
size_t leaf_bytes(const Node& node, size_t from, size_t to, unsigned char fill);

// Writes the node as a page.  A leaf that does not fit gives false and
// leaves the page undefined; an interior page never exceeds its capacity.
bool encode_page(const Node& node, unsigned char fill, unsigned char* page);

// The duplicate count of a key after `prev`: the shared prefix, never
// reaching into the fill bytes cut from either key.
unsigned dup_count(const unsigned char* prev, unsigned prev_trail, const unsigned char* key,
                   unsigned trail, unsigned length);
// Bytes per leaf entry for a page whose largest record number is given.
unsigned entry_width(unsigned key_length, uint32_t largest_record);

// Bits needed to hold `value` (0 for 0).
unsigned bit_length(uint64_t value);

// Fill bytes at the end of a key.
inline unsigned trailing_fill(const unsigned char* key, unsigned length, unsigned char fill) {
  unsigned n = 0;
  while (n < length && key[length - 1 - n] == fill) ++n;
  return n;
}

// Compares two keys over `length` bytes as unsigned bytes, eight at a time
// as big-endian numbers: searches compare keys more than anything else, and
// a call of the library's memcmp costs more than the comparison itself.
inline int compare_keys(const unsigned char* a, const unsigned char* b, unsigned length) {
  for (; length >= 8; a += 8, b += 8, length -= 8) {
    uint64_t x = coding::get64be(a), y = coding::get64be(b);
    if (x != y) return x < y ? -1 : 1;
  }
  for (; length > 0; ++a, ++b, --length)
    if (*a != *b) return *a < *b ? -1 : 1;
  return 0;
}

}  // namespace qx::dbf::cdx

#endif  // QX_DBF_CDX_PAGE_INTERNAL_H
