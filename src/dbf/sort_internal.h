// The index builder's sort: fixed-size items compared as unsigned bytes.
// Items gather in memory up to a limit; beyond it each full load is sorted
// and written as a run to one temporary working file of the engine
// (TEMPnnnn.TMP), and the runs are merged at the end.  Memory therefore stays
// near the limit whatever the number of items.
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

  void sort_memory();
  int spill();
  int fill(Run& run);
  int start_merge();

  Engine* engine_;
  size_t item_size_;
  size_t capacity_;  // items held in memory at once
  std::vector<unsigned char> items_;
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
