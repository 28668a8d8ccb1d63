// The page cache of a tree: an open-addressed table from page offsets to
// slots, and a clock over the slots that evicts leaves when the memory
// budget is reached.
#include <algorithm>
#include <utility>

#include "dbf/cdx_cache_internal.h"

namespace qx::dbf::cdx {

namespace {
size_t g_budget = size_t{32} << 20;
}  // namespace

size_t page_cache_budget() { return g_budget; }
void set_page_cache_budget(size_t bytes) { g_budget = bytes; }

size_t PageCache::cost(const Node& node) { return node.capacity() + sizeof(Slot) + 2 * sizeof(Entry); }
size_t PageCache::cost_of_size(const Node& node) { return node.size() + sizeof(Slot) + 2 * sizeof(Entry); }

// Page offsets are multiples of 512: the page number, spread by a
// multiplicative hash (its high bits), picks the first place to look.
size_t PageCache::position(uint32_t offset) const {
  uint64_t page = offset >> 9;
  return static_cast<size_t>(((page * 0x9E3779B97F4A7C15u) >> (64 - table_bits_)));
}

PageCache::Slot* PageCache::slot_of(uint32_t offset) const {
  if (table_.empty()) return nullptr;
  const size_t mask = table_.size() - 1;
  for (size_t i = position(offset);; i = (i + 1) & mask) {
    const Entry& e = table_[i];
    if (!e.slot || e.offset == offset) return e.slot;
  }
}

const Node* PageCache::find(uint32_t offset) {
  Slot* s = slot_of(offset);
  if (!s) return nullptr;
  if (!s->used) s->used = true;  // no write to a line that only is read
  return &s->node;
}

void PageCache::link(Slot* slot) {
  // At most half full, so that a miss ends after a probe or two.
  if (2 * (pages_ + 1) > table_.size()) grow_table();
  const size_t mask = table_.size() - 1;
  size_t i = position(slot->node.offset);
  while (table_[i].slot) i = (i + 1) & mask;
  table_[i] = Entry{slot->node.offset, slot};
}

// Removes an offset and moves the entries after it back over the hole, so
// that every entry stays reachable from its first place without markers of
// removed entries.
void PageCache::unlink(uint32_t offset) {
  const size_t mask = table_.size() - 1;
  size_t hole = position(offset);
  while (table_[hole].offset != offset || !table_[hole].slot) hole = (hole + 1) & mask;
  for (size_t next = (hole + 1) & mask; table_[next].slot; next = (next + 1) & mask) {
    size_t home = position(table_[next].offset);
    // The entry may fill the hole when its first place is not between the
    // hole and where it stands (cyclically).
    bool stays = hole < next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!stays) {
      table_[hole] = table_[next];
      hole = next;
    }
  }
  table_[hole] = Entry{};
}

void PageCache::grow_table() {
  std::vector<Entry> old = std::move(table_);
  table_bits_ = old.empty() ? 6 : table_bits_ + 1;
  table_.assign(size_t{1} << table_bits_, Entry{});
  const size_t mask = table_.size() - 1;
  for (const Entry& e : old) {
    if (!e.slot) continue;
    size_t i = position(e.offset);
    while (table_[i].slot) i = (i + 1) & mask;
    table_[i] = e;
  }
}

void PageCache::release(Slot& s) {
  unlink(s.node.offset);
  s.node = Node();  // its memory goes back at once
  s.occupied = false;
  s.used = false;
  bytes_ -= s.bytes;
  s.bytes = 0;
  --pages_;
  free_.push_back(s.index);
}

// Moves the clock's hand on to the next page it may evict and evicts it;
// false when a full turn of the hand (two, to clear the marks) finds none.
bool PageCache::evict_one(bool interior_too) {
  const size_t n = slots_.size();
  for (size_t looked = 0; looked < 2 * n; ++looked) {
    size_t at = hand_;
    hand_ = (hand_ + 1) % n;
    Slot& s = slots_[at];
    if (!s.occupied || s.node.root() || (!s.node.leaf() && !interior_too)) continue;
    if (s.used) {
      s.used = false;
      continue;
    }
    release(s);
    return true;
  }
  return false;
}

void PageCache::make_room(size_t need) {
  const size_t budget = page_cache_budget();
  while (bytes_ + need > budget && evict_one(false)) {
  }
  while (bytes_ + need > budget && evict_one(true)) {
  }
}

PageCache::Slot& PageCache::take_slot(uint32_t offset, size_t need) {
  make_room(need);
  Slot* s;
  if (!free_.empty()) {
    s = &slots_[free_.back()];
    free_.pop_back();
  } else {
    s = &slots_.emplace_back();
    s->index = static_cast<uint32_t>(slots_.size() - 1);
  }
  s->occupied = true;
  s->used = true;
  s->node.offset = offset;
  ++pages_;
  link(s);
  return *s;
}

// A page placed again (a page this engine rewrote) gives up its slot
// first, so that the budget holds for its new size too.  The copy is made
// into an empty buffer, so it takes exactly the bytes it needs.
const Node* PageCache::store(const Node& node) {
  forget(node.offset);
  Slot& s = take_slot(node.offset, cost_of_size(node));
  s.node = node;
  s.bytes = cost(s.node);
  bytes_ += s.bytes;
  return &s.node;
}

void PageCache::forget(uint32_t offset) {
  if (Slot* s = slot_of(offset)) release(*s);
}

void PageCache::clear() {
  slots_.clear();
  free_.clear();
  table_.clear();
  table_bits_ = 0;
  pages_ = 0;
  bytes_ = 0;
  hand_ = 0;
}

}  // namespace qx::dbf::cdx
