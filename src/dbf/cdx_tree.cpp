// The trees of an index file: reading pages through a cache, searching,
// walking the leaves, and inserting and removing keys with page splits.
#include <algorithm>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"

namespace qx::dbf::cdx {

namespace {

// Compares the pair (key, record) of entry i with a sought pair; a sought
// record of 0 compares the keys only.
int compare_entry(const Node& node, size_t i, const unsigned char* key, unsigned length,
                  uint32_t record) {
  int c = compare_keys(node.key(i), key, length);
  if (c != 0 || record == 0) return c;
  uint32_t r = node.record(i);
  return r < record ? -1 : r > record ? 1 : 0;
}

// Entries of a leaf must rise, or a walk over them could circle.
bool entries_rise(const Node& node) {
  for (size_t i = 1; i < node.count(); ++i) {
    int c = compare_keys(node.key(i - 1), node.key(i), node.key_length());
    if (c > 0 || (c == 0 && node.record(i - 1) >= node.record(i))) return false;
  }
  return true;
}

// The first entry at or after the sought place (`after`: strictly after
// the key) in one page.
size_t lower_entry(const Node& node, const unsigned char* key, unsigned length, uint32_t record,
                   bool after) {
  size_t lo = 0, hi = node.count();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    int c = compare_entry(node, mid, key, length, record);
    if (after ? c <= 0 : c < 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

struct PathStep {
  uint32_t offset;
  size_t entry;
};

// Descends to the leaf where the sought place lies, noting the path.  The
// leaf entry may be past the leaf's last one only when the place is past
// every key of the tree (the last leaf).
int descend(Tag& tag, const unsigned char* key, unsigned length, uint32_t record, bool after,
            std::vector<PathStep>* path, Position* at) {
  uint32_t offset = tag.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const Node* node = nullptr;
    int rc = load_node(tag, offset, &node);
    if (rc != 0) return rc;
    node->prefetch();
    size_t i = lower_entry(*node, key, length, record, after);
    if (node->leaf()) {
      *at = Position{offset, i, true};
      return 0;
    }
    if (node->count() == 0) return bad_index(*tag.index, "empty interior page");
    if (i == node->count()) i = node->count() - 1;  // past every key: the last child
    if (path) path->push_back({offset, i});
    offset = node->child(i);
  }
  return bad_index(*tag.index, "page cycle");
}

// Loads the leaf beside `node`, to its right going forward, else to its
// left; null at the end of the level.  The sibling must point back and
// continue the order from the node's entry at that edge, or the file is
// damaged (a walk over it could circle).
int sibling_leaf(Tag& tag, const Node& node, bool forward, const Node** sibling) {
  *sibling = nullptr;
  const uint32_t to = forward ? node.right : node.left;
  if (to == kNoPage) return 0;
  // Loading the sibling may evict the node: what is needed of it is kept.
  const uint32_t from = node.offset;
  const bool has_edge = node.count() != 0;
  unsigned char edge[kMaxKeyLength];
  uint32_t edge_record = 0;
  if (has_edge) {
    size_t i = forward ? node.count() - 1 : 0;
    std::memcpy(edge, node.key(i), node.key_length());
    edge_record = node.record(i);
  }
  const Node* next = nullptr;
  int rc = load_node(tag, to, &next);
  if (rc != 0) return rc;
  if ((forward ? next->left : next->right) != from || next->offset == from)
    return bad_index(*tag.index, "sibling chain");
  if (has_edge && next->count()) {
    int c = compare_entry(*next, forward ? 0 : next->count() - 1, edge, tag.key_length, edge_record);
    if (forward ? c <= 0 : c >= 0) return bad_index(*tag.index, "sibling order");
  }
  *sibling = next;
  return 0;
}

// More leaves in a row than this are taken for a cycle of sibling pointers.
constexpr int kMaxSiblingSteps = 1 << 22;

// Moves a position that stands past its leaf's end to the next leaf's
// first entry (over empty leaves); invalid at the end of the tree.
int settle_forward(Tag& tag, Position* at) {
  for (int guard = 0; guard < kMaxSiblingSteps; ++guard) {
    const Node* node = nullptr;
    int rc = load_node(tag, at->leaf, &node);
    if (rc != 0) return rc;
    if (at->entry < node->count()) return 0;
    const Node* next = nullptr;
    rc = sibling_leaf(tag, *node, true, &next);
    if (rc != 0) return rc;
    if (!next) {
      at->valid = false;
      return 0;
    }
    *at = Position{next->offset, 0, true};
  }
  return bad_index(*tag.index, "sibling chain");
}

Node new_node(Tag& tag, uint16_t attributes) {
  Node n;
  n.reset(tag.key_length, attributes);
  return n;
}

int write_node(Tag& tag, const Node& node) {
  unsigned char page[kPageSize];
  if (!encode_page(node, tag.fill(), page)) return bad_index(*tag.index, "page overflow");
  int rc = write_bytes(*tag.index, node.offset, page, kPageSize);
  if (rc != 0) return rc;
  tag.cache.store(node);
  return 0;
}

bool node_fits(const Tag& tag, const Node& node) {
  if (node.leaf()) return leaf_bytes(node, 0, node.count(), tag.fill()) <= kLeafArea;
  return node.count() <= interior_capacity(tag.key_length);
}

// The split point of an overfull page: near the middle, with both halves
// fitting.
size_t split_point(const Tag& tag, const Node& node) {
  size_t n = node.count();
  if (!node.leaf()) return n / 2;
  size_t mid = n / 2;
  for (size_t d = 0; d < n; ++d) {
    for (size_t at : {mid + d, mid - std::min(d, mid)}) {
      if (at == 0 || at >= n) continue;
      if (leaf_bytes(node, 0, at, tag.fill()) <= kLeafArea &&
          leaf_bytes(node, at, n, tag.fill()) <= kLeafArea)
        return at;
    }
  }
  return mid;
}

void copy_range(const Node& from, size_t begin, size_t end, Node& to) {
  for (size_t i = begin; i < end; ++i)
    to.append(from.key(i), from.record(i), from.leaf() ? 0 : from.child(i));
}

// Rewrites the parents on the path so that each entry names its child's
// last pair, from the changed page up.
int update_parents(Tag& tag, const std::vector<PathStep>& path, const Node& child_in) {
  Node child = child_in;
  for (size_t level = path.size(); level-- > 0;) {
    const Node* p = nullptr;
    int rc = load_node(tag, path[level].offset, &p);
    if (rc != 0) return rc;
    if (child.count() == 0) return 0;
    size_t i = path[level].entry;
    if (i >= p->count() || p->child(i) != child.offset) return bad_index(*tag.index, "parent entry");
    const unsigned char* last = child.key(child.count() - 1);
    uint32_t last_record = child.last_record();
    if (compare_keys(p->key(i), last, tag.key_length) == 0 && p->record(i) == last_record) return 0;
    Node parent = *p;
    parent.set_key(i, last);
    parent.set_record(i, last_record);
    rc = write_node(tag, parent);
    if (rc != 0) return rc;
    child = parent;
  }
  return 0;
}

enum class Side { kLeft, kRight };

// Points the page at `offset` (none: nothing to do) to a new sibling.
int set_sibling(Tag& tag, uint32_t offset, Side side, uint32_t sibling) {
  if (offset == kNoPage) return 0;
  const Node* n = nullptr;
  int rc = load_node(tag, offset, &n);
  if (rc != 0) return rc;
  Node copy = *n;
  (side == Side::kLeft ? copy.left : copy.right) = sibling;
  return write_node(tag, copy);
}

// Stores a changed page; one that no longer fits is split in two, the new
// right half going to a new page, and the split climbs the path.
int store_node(Tag& tag, std::vector<PathStep> path, Node node) {
  for (;;) {
    if (node_fits(tag, node)) {
      int rc = write_node(tag, node);
      if (rc != 0) return rc;
      return update_parents(tag, path, node);
    }
    size_t at = split_point(tag, node);
    Node right = new_node(tag, node.attributes & ~kAttrRoot);
    right.offset = allocate_pages(*tag.index, 1);
    copy_range(node, at, node.count(), right);
    Node left = new_node(tag, node.attributes & ~kAttrRoot);
    left.offset = node.offset;
    copy_range(node, 0, at, left);
    right.left = left.offset;
    right.right = node.right;
    left.left = node.left;
    left.right = right.offset;
    int rc = write_node(tag, right);
    if (rc == 0) rc = set_sibling(tag, node.right, Side::kLeft, right.offset);
    if (rc == 0) rc = write_node(tag, left);
    if (rc != 0) return rc;
    if (path.empty()) {
      // The root split: a new root above the two halves.
      Node root = new_node(tag, kAttrRoot);
      root.offset = allocate_pages(*tag.index, 1);
      root.append(left.key(left.count() - 1), left.last_record(), left.offset);
      root.append(right.key(right.count() - 1), right.last_record(), right.offset);
      rc = write_node(tag, root);
      if (rc != 0) return rc;
      tag.root = root.offset;
      return write_header(tag);
    }
    PathStep up = path.back();
    path.pop_back();
    const Node* p = nullptr;
    rc = load_node(tag, up.offset, &p);
    if (rc != 0) return rc;
    Node parent = *p;
    parent.set_key(up.entry, left.key(left.count() - 1));
    parent.set_record(up.entry, left.last_record());
    parent.insert(up.entry + 1, right.key(right.count() - 1), right.last_record(), right.offset);
    node = std::move(parent);
  }
}

// Takes an empty page out of its level: its siblings are joined and its
// parent entry removed (the parent in turn when it empties).  The root
// stays; an emptied root becomes an empty leaf.
int unlink_node(Tag& tag, std::vector<PathStep> path, const Node& node) {
  if (path.empty()) {
    Node root = new_node(tag, kAttrRoot | kAttrLeaf);
    root.offset = node.offset;
    return write_node(tag, root);
  }
  int rc = set_sibling(tag, node.left, Side::kRight, node.right);
  if (rc == 0) rc = set_sibling(tag, node.right, Side::kLeft, node.left);
  if (rc != 0) return rc;
  tag.cache.forget(node.offset);
  PathStep up = path.back();
  path.pop_back();
  const Node* p = nullptr;
  rc = load_node(tag, up.offset, &p);
  if (rc != 0) return rc;
  Node parent = *p;
  parent.erase(up.entry);
  if (parent.count() == 0) return unlink_node(tag, path, parent);
  rc = write_node(tag, parent);
  if (rc != 0) return rc;
  return update_parents(tag, path, parent);
}

// Finds where the pair (key, record) stands or would stand in its leaf,
// noting the path down; `present` says whether it is there.
int find_pair(Tag& tag, const unsigned char* key, uint32_t record, std::vector<PathStep>* path,
              Position* at, const Node** leaf, bool* present) {
  int rc = descend(tag, key, tag.key_length, record, false, path, at);
  if (rc == 0) rc = load_node(tag, at->leaf, leaf);
  if (rc != 0) return rc;
  *present = at->entry < (*leaf)->count() &&
             compare_entry(**leaf, at->entry, key, tag.key_length, record) == 0;
  return 0;
}

}  // namespace

int load_node(Tag& tag, uint32_t offset, const Node** node) {
  if (const Node* cached = tag.cache.find(offset)) {
    *node = cached;
    return 0;
  }
  if (tag.cached_only) return kNotCached;
  if (offset % kPageSize != 0 || offset < 2 * kPageSize) return bad_index(*tag.index, "page offset");
  unsigned char page[kPageSize];
  int rc = read_bytes(*tag.index, offset, page, kPageSize);
  if (rc != 0) return rc;
  Node& decoded = tag.spare;
  if (!decode_page(page, offset, tag.key_length, tag.fill(), decoded) ||
      (decoded.leaf() && !entries_rise(decoded)))
    return bad_index(*tag.index, "page contents");
  *node = tag.cache.store(decoded);
  return 0;
}

void drop_caches(Index& index) {
  index.directory.cache.clear();
  index.directory.cursor.valid = false;
  for (auto& t : index.tags) {
    t->cache.clear();
    t->cursor.valid = false;
  }
}

int refresh(Tag& tag) {
  if (!tag.index->shared()) return 0;
  unsigned char counter[4];
  int rc = read_bytes(*tag.index, tag.header_offset + 8, counter, 4);
  if (rc != 0) return rc;
  if (coding::get32le(counter) == tag.version && !tag.cache.empty()) return 0;
  tag.cache.clear();
  tag.cursor.valid = false;
  unsigned char head[16];
  rc = read_bytes(*tag.index, tag.header_offset, head, sizeof head);
  if (rc != 0) return rc;
  tag.root = coding::get32le(head);
  tag.version = coding::get32le(head + 8);
  return 0;
}

int seek_first(Tag& tag, const unsigned char* key, unsigned length, uint32_t record, Position* at) {
  int rc = descend(tag, key, length, record, false, nullptr, at);
  if (rc != 0) return rc;
  return settle_forward(tag, at);
}

int seek_after(Tag& tag, const unsigned char* key, unsigned length, Position* at) {
  int rc = descend(tag, key, length, 0, true, nullptr, at);
  if (rc != 0) return rc;
  return settle_forward(tag, at);
}

namespace {

// The first (or last) entry of the tree: down the first (last) children,
// then over empty leaves.
int outermost(Tag& tag, bool last, Position* at) {
  uint32_t offset = tag.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const Node* node = nullptr;
    int rc = load_node(tag, offset, &node);
    if (rc != 0) return rc;
    if (node->leaf()) {
      if (!last || node->count() == 0) {
        *at = Position{offset, 0, true};
        return last ? prev_entry(tag, at) : settle_forward(tag, at);
      }
      *at = Position{offset, node->count() - 1, true};
      return 0;
    }
    if (node->count() == 0) return bad_index(*tag.index, "empty interior page");
    offset = node->child(last ? node->count() - 1 : 0);
  }
  return bad_index(*tag.index, "page cycle");
}

}  // namespace

int leftmost(Tag& tag, Position* at) { return outermost(tag, false, at); }
int rightmost(Tag& tag, Position* at) { return outermost(tag, true, at); }

int next_entry(Tag& tag, Position* at) {
  if (!at->valid) return 0;
  ++at->entry;
  return settle_forward(tag, at);
}

int prev_entry(Tag& tag, Position* at) {
  if (!at->valid) return 0;
  if (at->entry > 0) {
    --at->entry;
    return 0;
  }
  for (int guard = 0; guard < kMaxSiblingSteps; ++guard) {
    const Node* node = nullptr;
    int rc = load_node(tag, at->leaf, &node);
    if (rc != 0) return rc;
    const Node* prev = nullptr;
    rc = sibling_leaf(tag, *node, false, &prev);
    if (rc != 0) return rc;
    if (!prev) {
      at->valid = false;
      return 0;
    }
    if (prev->count()) {
      *at = Position{prev->offset, prev->count() - 1, true};
      return 0;
    }
    at->leaf = prev->offset;
  }
  return bad_index(*tag.index, "sibling chain");
}

const unsigned char* key_at(Tag& tag, const Position& at) {
  const Node* node = nullptr;
  if (load_node(tag, at.leaf, &node) != 0 || at.entry >= node->count()) return nullptr;
  return node->key(at.entry);
}

uint32_t record_at(Tag& tag, const Position& at) {
  const Node* node = nullptr;
  if (load_node(tag, at.leaf, &node) != 0 || at.entry >= node->count()) return 0;
  return node->record(at.entry);
}

int insert_key(Tag& tag, const unsigned char* key, uint32_t record) {
  std::vector<PathStep> path;
  Position at;
  const Node* leaf = nullptr;
  bool present = false;
  int rc = find_pair(tag, key, record, &path, &at, &leaf, &present);
  if (rc != 0 || present) return rc;
  Node changed = *leaf;
  changed.insert(at.entry, key, record, 0);
  tag.cursor.valid = false;
  return store_node(tag, std::move(path), std::move(changed));
}

int remove_key(Tag& tag, const unsigned char* key, uint32_t record) {
  std::vector<PathStep> path;
  Position at;
  const Node* leaf = nullptr;
  bool present = false;
  int rc = find_pair(tag, key, record, &path, &at, &leaf, &present);
  if (rc != 0 || !present) return rc;
  Node changed = *leaf;
  changed.erase(at.entry);
  tag.cursor.valid = false;
  if (changed.count() == 0) return unlink_node(tag, std::move(path), changed);
  return store_node(tag, std::move(path), std::move(changed));
}

int bump_version(Tag& tag) {
  ++tag.version;
  unsigned char counter[4];
  coding::put32le(counter, tag.version);
  return write_bytes(*tag.index, tag.header_offset + 8, counter, 4);
}

int read_bytes(Index& index, uint64_t offset, void* buffer, size_t size) {
  int64_t got = file_read_quiet(index.file, offset, buffer, size);
  if (got != static_cast<int64_t>(size)) return bad_index(index, "short page");
  return 0;
}

int write_bytes(Index& index, uint64_t offset, const void* data, size_t size) {
  int rc = file_write(index.file, offset, data, size);
  if (rc == 0 && offset + size > index.end) index.end = offset + size;
  return rc;
}

uint32_t allocate_pages(Index& index, unsigned count) {
  uint64_t at = (index.end + kPageSize - 1) / kPageSize * kPageSize;
  index.end = at + uint64_t{count} * kPageSize;
  return static_cast<uint32_t>(at);
}

}  // namespace qx::dbf::cdx
