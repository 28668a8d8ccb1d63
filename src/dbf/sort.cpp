// The index builder's sort through memory and one temporary file of runs.
#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/sort_internal.h"
#include "port/winfile.h"

namespace qx::dbf {

namespace {

// Eight bytes of an item from `from` as one number (zeros past its end), so
// that most comparisons need no byte loop: two of them cover a 10-byte key
// and its record number.
uint64_t prefix_of(const unsigned char* p, size_t size, size_t from) {
  uint64_t v = 0;
  for (size_t i = from; i < from + 8; ++i) v = (v << 8) | (i < size ? p[i] : 0);
  return v;
}

struct Slot {
  uint64_t high;
  uint64_t low;
  uint32_t index;
};

}  // namespace

KeySorter::KeySorter(Engine* engine, size_t item_size, size_t memory_limit)
    : engine_(engine), item_size_(item_size) {
  size_t per_item = packs() ? sizeof(Packed) : item_size + sizeof(Slot) + sizeof(uint32_t);
  capacity_ = std::max<size_t>(memory_limit / per_item, 64);
}

KeySorter::Packed KeySorter::pack(const unsigned char* item) const {
  unsigned char bytes[sizeof(Packed)] = {};
  std::memcpy(bytes, item, item_size_);
  return Packed{coding::get64be(bytes), coding::get64be(bytes + 8)};
}

const unsigned char* KeySorter::sorted_item(size_t i) {
  if (!packs()) return items_.data() + order_[i] * item_size_;
  coding::put64be(unpacked_, packed_[i].high);
  coding::put64be(unpacked_ + 8, packed_[i].low);
  return unpacked_;
}

KeySorter::~KeySorter() {
  if (temp_.is_open()) {
    std::string name = temp_.name;
    file_close(temp_);
    port::delete_file(native_name(name));
  }
}

int KeySorter::add(const unsigned char* item) {
  if (count_ == capacity_) {
    int rc = spill();
    if (rc != 0) return rc;
  }
  if (packs()) {
    packed_.push_back(pack(item));
    ++count_;
    return 0;
  }
  if (items_.size() < (count_ + 1) * item_size_)
    items_.resize(std::min(capacity_, std::max<size_t>(count_ * 2, 1024)) * item_size_);
  std::memcpy(items_.data() + count_ * item_size_, item, item_size_);
  ++count_;
  return 0;
}

void KeySorter::sort_memory() {
  emitted_ = 0;
  if (packs()) {
    std::sort(packed_.begin(), packed_.end());
    return;
  }
  std::vector<Slot> slots(count_);
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char* p = items_.data() + i * item_size_;
    slots[i] = Slot{prefix_of(p, item_size_, 0), prefix_of(p, item_size_, 8), static_cast<uint32_t>(i)};
  }
  const unsigned char* base = items_.data();
  const size_t size = item_size_;
  std::sort(slots.begin(), slots.end(), [base, size](const Slot& a, const Slot& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    if (size <= 16) return false;
    return std::memcmp(base + a.index * size + 16, base + b.index * size + 16, size - 16) < 0;
  });
  order_.resize(count_);
  for (size_t i = 0; i < count_; ++i) order_[i] = slots[i].index;
}

int KeySorter::spill() {
  if (!temp_.is_open()) {
    int rc = file_temp(engine_, temp_);
    if (rc != 0) return rc;
  }
  sort_memory();
  std::vector<unsigned char> out;
  out.reserve(std::min<size_t>(count_, 4096) * item_size_);
  Run run;
  run.offset = temp_end_;
  run.count = count_;
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char* p = sorted_item(i);
    out.insert(out.end(), p, p + item_size_);
    if (out.size() >= 4096 * item_size_ || i + 1 == count_) {
      int rc = file_write(temp_, temp_end_, out.data(), out.size());
      if (rc != 0) return rc;
      temp_end_ += out.size();
      out.clear();
    }
  }
  runs_.push_back(std::move(run));
  count_ = 0;
  order_.clear();
  packed_.clear();
  return 0;
}

int KeySorter::fill(Run& run) {
  size_t want = std::min(run.count - run.taken, run.buffer.size() / item_size_);
  run.position = 0;
  run.buffered = want;
  if (want == 0) return 0;
  uint64_t at = run.offset + run.taken * item_size_;
  int rc = file_read_all(temp_, at, run.buffer.data(), want * item_size_);
  if (rc != 0) return rc;
  run.taken += want;
  return 0;
}

int KeySorter::start_merge() {
  // The memory budget is shared among the runs' read buffers.
  size_t per_run = std::max<size_t>(capacity_ / runs_.size(), 16);
  for (Run& r : runs_) {
    r.buffer.assign(per_run * item_size_, 0);
    int rc = fill(r);
    if (rc != 0) return rc;
  }
  items_ = std::vector<unsigned char>();
  packed_ = std::vector<Packed>();
  heap_.clear();
  for (size_t i = 0; i < runs_.size(); ++i)
    if (runs_[i].buffered) heap_.push_back(i);
  auto greater = [this](size_t a, size_t b) {
    const Run& ra = runs_[a];
    const Run& rb = runs_[b];
    return std::memcmp(ra.buffer.data() + ra.position * item_size_,
                       rb.buffer.data() + rb.position * item_size_, item_size_) > 0;
  };
  std::make_heap(heap_.begin(), heap_.end(), greater);
  return 0;
}

int KeySorter::finish() {
  if (runs_.empty()) {
    sort_memory();
    return 0;
  }
  if (count_ > 0) {
    int rc = spill();
    if (rc != 0) return rc;
  }
  return start_merge();
}

int KeySorter::next(const unsigned char** item) {
  if (runs_.empty()) {
    if (emitted_ >= count_) return 0;
    *item = sorted_item(emitted_++);
    return 1;
  }
  auto greater = [this](size_t a, size_t b) {
    const Run& ra = runs_[a];
    const Run& rb = runs_[b];
    return std::memcmp(ra.buffer.data() + ra.position * item_size_,
                       rb.buffer.data() + rb.position * item_size_, item_size_) > 0;
  };
  // The run whose item was handed out last moves on before the next pick.
  if (emitted_ > 0 && !heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(), greater);
    Run& r = runs_[heap_.back()];
    if (++r.position == r.buffered) {
      int rc = fill(r);
      if (rc != 0) return rc;
    }
    if (r.buffered == 0) heap_.pop_back();
    else std::push_heap(heap_.begin(), heap_.end(), greater);
  }
  if (heap_.empty()) return 0;
  ++emitted_;
  const Run& top = runs_[heap_.front()];
  *item = top.buffer.data() + top.position * item_size_;
  return 1;
}

}  // namespace qx::dbf
