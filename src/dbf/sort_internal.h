// The index builder's sort: fixed-size items compared as unsigned bytes.
// Items gather in memory up to a limit; beyond it each full load is sorted
// and written as a run to one temporary working file of the engine
// (TEMPnnnn.TMP), and the runs are merged at the end.  Memory therefore stays
// near the limit whatever the number of items.
//
// Items of at most sixteen bytes (the keys of most tags with their record
// numbers) are held in memory as two numbers, their bytes read big-endian:
// sorting the numbers sorts the items, in half the memory of an item with a
// separate sort key and without reaching back for the item's bytes.
#ifndef QX_DBF_SORT_INTERNAL_H
#define QX_DBF_SORT_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "dbf/file.h"

namespace qx::dbf {

struct Engine;

class KeySorter {
 public:
  KeySorter(Engine* engine, size_t item_size, size_t memory_limit);
  ~KeySorter();
  KeySorter(const KeySorter&) = delete;
  KeySorter& operator=(const KeySorter&) = delete;

  // Adds an item (item_size bytes); 0 or an error (temporary file).
  int add(const unsigned char* item);
  // Ends the input; 0 or an error.
  int finish();
  // The next item in order: 1 with *item set (valid until the next call),
  // 0 at the end, or an error.
  int next(const unsigned char** item);
  // Runs written to the temporary file (0 when everything fit in memory).
  size_t runs() const { return runs_.size(); }

 private:
  struct Run {
    uint64_t offset = 0;
    size_t count = 0;
    size_t taken = 0;
    std::vector<unsigned char> buffer;
    size_t buffered = 0;
    size_t position = 0;
  };

  // Up to sixteen bytes, zeros after the item's end, as two numbers.
  struct Packed {
    uint64_t high;
    uint64_t low;
    bool operator<(const Packed& o) const { return high != o.high ? high < o.high : low < o.low; }
  };

  bool packs() const { return item_size_ <= sizeof(Packed); }
  Packed pack(const unsigned char* item) const;
  // The bytes of the i-th item in sorted order (of the memory load).
  const unsigned char* sorted_item(size_t i);
  void sort_memory();
  int spill();
  int fill(Run& run);
  int start_merge();

  Engine* engine_;
  size_t item_size_;
  size_t capacity_;  // items held in memory at once
  std::vector<unsigned char> items_;
  std::vector<Packed> packed_;  // the items instead, when they pack
  unsigned char unpacked_[sizeof(Packed)] = {};
  size_t count_ = 0;
  std::vector<uint32_t> order_;  // the memory items in sorted order
  size_t emitted_ = 0;
  File temp_;
  uint64_t temp_end_ = 0;
  std::vector<Run> runs_;
  std::vector<size_t> heap_;  // runs by their current item
};

}  // namespace qx::dbf

#endif  // QX_DBF_SORT_INTERNAL_H
