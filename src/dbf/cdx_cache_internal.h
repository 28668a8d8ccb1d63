// The decoded pages of one tree of an index file, by their offsets.
//
// The cache is bounded by memory, not by a count of pages: a budget in bytes
// per tree (page_cache_budget(), 32 MiB unless set otherwise).  A tree of a
// million records with ten-byte keys decodes to about 16 MB, so trees up to
// twice that size stay whole in memory and random seeks read each page once,
// while a program that opens many tags pays only for the ones it walks.
//
// When a new page does not fit, leaves are evicted one at a time in clock
// order (a leaf used since the hand last passed gets a second chance);
// interior pages and the root are kept, since every search passes through
// them.  Only a tree whose upper levels alone exceed the budget loses
// interior pages too, never the root.  A page is decoded into a buffer the
// tree reuses and kept as an exact copy: one allocation per page read, and
// the memory counted is the memory held.
//
// A page found or stored stays where it is until the next page is stored
// (which may evict it) or the cache is cleared; callers that hold a page
// across another load copy what they need from it first.
#ifndef QX_DBF_CDX_CACHE_INTERNAL_H
#define QX_DBF_CDX_CACHE_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "dbf/cdx_page_internal.h"

namespace qx::dbf::cdx {

class PageCache {
 public:
  PageCache() = default;
  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // The page at `offset`, marked as used; null when it is not cached.
  const Node* find(uint32_t offset);
  // Keeps a copy of a page (as decoded, or as this engine wrote it), in
  // place of any page at its offset; the copy stays where it is until the
  // next page is stored (which may evict it) or the cache is cleared.
  const Node* store(const Node& node);
  // Forgets the page at `offset` (a page taken out of its tree).
  void forget(uint32_t offset);
  // Forgets every page and gives their memory back.
  void clear();

  bool empty() const { return pages_ == 0; }
  size_t pages() const { return pages_; }
  // The memory the cached pages take, as counted against the budget.
  size_t bytes() const { return bytes_; }

 private:
  struct Slot {
    Node node;
    size_t bytes = 0;
    uint32_t index = 0;  // in slots_
    bool occupied = false;
    bool used = false;  // found since the clock's hand last passed
  };
  // One entry of the open-addressed table from offsets to slots.
  struct Entry {
    uint32_t offset = 0;
    Slot* slot = nullptr;  // null: empty
  };

  static size_t cost(const Node& node);
  static size_t cost_of_size(const Node& node);
  size_t position(uint32_t offset) const;
  Slot* slot_of(uint32_t offset) const;
  void link(Slot* slot);
  void unlink(uint32_t offset);
  void grow_table();
  void make_room(size_t need);
  bool evict_one(bool interior_too);
  void release(Slot& slot);
  Slot& take_slot(uint32_t offset, size_t need);

  std::deque<Slot> slots_;  // stable addresses: pages handed out stay put
  std::vector<uint32_t> free_;
  std::vector<Entry> table_;
  unsigned table_bits_ = 0;  // the table holds 2^table_bits_ entries
  size_t pages_ = 0;
  size_t bytes_ = 0;
  size_t hand_ = 0;
};

// The memory each tree's cache may use, for every index file opened after.
size_t page_cache_budget();
void set_page_cache_budget(size_t bytes);

}  // namespace qx::dbf::cdx

#endif  // QX_DBF_CDX_CACHE_INTERNAL_H
