// The inside of the compound index module: an open index file with its
// tags, the trees behind them and the operations shared by its files (tree
// search and change, the builder, the tag headers).
//
// Each tree (the tag directory at offset 0, and one per tag at the offset
// the directory gives) has a 1024-byte header: root page offset, free list
// (written 0), a change counter at bytes 8..11 raised on every change this
// engine writes, key length, option byte (0x01 unique, 0x08 filter, 0x20
// compact, 0x40 compound, 0x80 directory), then at 502 the descending flag
// and at 504..511 the positions and lengths of the key and filter texts kept
// from byte 512.  A descending tag keeps its keys in ascending order and is
// walked from the other end.
#ifndef QX_DBF_CDX_INTERNAL_H
#define QX_DBF_CDX_INTERNAL_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf/cdx.h"
#include "dbf/cdx_cache_internal.h"
#include "dbf/cdx_key_internal.h"
#include "dbf/cdx_page_internal.h"
#include "dbf/file.h"
#include "dbf/index.h"

namespace qx::dbf {

struct Expr;

namespace cdx {

constexpr unsigned char kOptUnique = 0x01;
constexpr unsigned char kOptNullable = 0x02;
constexpr unsigned char kOptFilter = 0x08;
constexpr unsigned char kOptCompact = 0x20;
constexpr unsigned char kOptCompound = 0x40;
constexpr unsigned char kOptDirectory = 0x80;
constexpr unsigned char kTagOptions = kOptCompact | kOptCompound;
constexpr unsigned char kDirectoryOptions = kOptCompact | kOptCompound | kOptDirectory;
constexpr unsigned kTagNameLength = 10;
constexpr unsigned kMaxSourceLength = 254;
constexpr uint64_t kIndexLock = 0x7FFFFFFE;
// Deeper trees than this are taken for a cycle of child pointers.
constexpr int kMaxDepth = 32;
// What a search answers, while its tag reads from the cache alone, when it
// needs a page that is not cached.  It never leaves this module: the read
// that asked for it starts again under the index lock.
constexpr int kNotCached = 1;

// A place in a tree: a leaf page and an entry of it.  `entry` may equal
// the leaf's count (past its last entry) in the middle of a search.
struct Position {
  uint32_t leaf = 0;
  size_t entry = 0;
  bool valid = false;
};

}  // namespace cdx

class Index;

// One tree of an index file: a tag, or the tag directory (whose keys are
// tag names and whose record numbers are the tag headers' offsets).
class Tag : public TagOrder {
 public:
  Index* index = nullptr;
  std::string name;  // upper case, at most 10 characters
  uint32_t header_offset = 0;
  uint32_t root = 0;
  uint32_t version = 0;  // header bytes 8..11 as last read or written
  unsigned key_length = 0;
  unsigned char options = 0;
  bool descending = false;
  std::string key_text;
  std::string filter_text;
  cdx::KeySource key;
  Expr* filter = nullptr;
  bool usable = true;   // false: its keys cannot be computed (walk only)
  int unique_setting = 0;  // how a duplicate key is met; see uniqueness()
  bool unique_from_file = false;

  // Decoded pages by offset, valid while `version` is unchanged, and the
  // page the next one read is decoded into.
  cdx::PageCache cache;
  cdx::Node spare;
  // Set while a read runs on the cached pages alone (see read_tree()): a
  // page not in the cache is then not read but answered with kNotCached.
  bool cached_only = false;
  // A record read to check it against the tree (see check_record()).
  std::vector<char> record_image;
  // Where the last step ended, to go on from there without a search.
  cdx::Position cursor;
  long cursor_record = 0;

  Tag() = default;
  Tag(const Tag&) = delete;
  Tag& operator=(const Tag&) = delete;
  ~Tag() override;

  // Keys led by a null flag byte are filled with zeros whatever their type.
  unsigned char fill() const { return nullable() ? 0 : key.fill(); }
  bool is_unique() const { return (options & cdx::kOptUnique) != 0; }
  bool nullable() const { return (options & cdx::kOptNullable) != 0; }
  // The setting a duplicate key meets: the tag's own when it was created
  // here, else the context's default.
  int uniqueness() const;

  int first(Table& table, long* rec_no) override;
  int last(Table& table, long* rec_no) override;
  int step(Table& table, long from, long count, long* to, bool* off_start) override;
};

class Index : public IndexFile {
 public:
  Table* table = nullptr;
  File file;
  std::string name;
  Tag directory;
  std::vector<std::unique_ptr<Tag>> tags;  // in the directory's order
  uint64_t end = 0;  // where the next new page goes
  int lock_depth = 0;
  bool compound = true;  // false: a single-tag compact index
  bool production = false;  // named after its table, opened and created with it

  ~Index() override;

  bool shared() const { return !file.exclusive && !file.read_only; }

  int add_keys(Table& table, long rec_no) override;
  int remove_keys(Table& table, long rec_no) override;
  int change_keys(Table& table, long rec_no, const char* old_record) override;
  int rebuild(Table& table) override;
  int lock_all() override;
  int unlock_all() override;
  int close() override;
  // Pack's journal saves this file before rebuild() rewrites it.
  File* journal_file() override { return &file; }
};

namespace cdx {

// Errors of a file that is no correct index (-310 with the file's name).
int bad_index(Index& index, const char* detail = nullptr);

// Reads a page of the tree into the cache; -310 for a page offset outside
// the file or not on a page boundary, or a page that contradicts itself.
int load_node(Tag& tag, uint32_t offset, const Node** node);
// Drops the decoded pages of every tree of the file.
void drop_caches(Index& index);
// On a shared file, reads the tag's change counter and drops its pages
// when another process changed it; 0 or an error.
int refresh(Tag& tag);

// Searches.  The first entry whose key is not less than `key` over
// `length` bytes (and, with `record` non-zero, whose pair is not less than
// (key, record)); an invalid position when there is none.
int seek_first(Tag& tag, const unsigned char* key, unsigned length, uint32_t record,
               Position* at);
// The first entry whose key is greater than `key` over `length` bytes.
int seek_after(Tag& tag, const unsigned char* key, unsigned length, Position* at);
int leftmost(Tag& tag, Position* at);
int rightmost(Tag& tag, Position* at);
// Moves one entry on (forward) or back; an invalid position past the end.
int next_entry(Tag& tag, Position* at);
int prev_entry(Tag& tag, Position* at);
// The key and record of a position.
const unsigned char* key_at(Tag& tag, const Position& at);
uint32_t record_at(Tag& tag, const Position& at);

// Changes.  Inserts the pair, splitting pages as needed; removes it (0
// also when it is not there).
int insert_key(Tag& tag, const unsigned char* key, uint32_t record);
int remove_key(Tag& tag, const unsigned char* key, uint32_t record);
// Raises the change counter in the tree's header and writes it.
int bump_version(Tag& tag);

// Page I/O of the file.
int read_bytes(Index& index, uint64_t offset, void* buffer, size_t size);
int write_bytes(Index& index, uint64_t offset, const void* data, size_t size);
uint32_t allocate_pages(Index& index, unsigned count);

// Tag headers.
int write_header(Tag& tag);
// Reads a tree's header from its offset into `tag` (root, counter, key
// length, options, texts); -310 when it does not describe a tree.
int read_header(Tag& tag);
// Resolves the tag's key and filter against the table.
int prepare_tag(Tag& tag, bool quiet_parse);

// The key of the table's record buffer for the tag, and whether the
// filter takes the record (true without a filter).  0 or an error.
int record_key(Tag& tag, unsigned char* key, bool* in_filter);
// The same for another record image (swapped into the buffer meanwhile).
int image_key(Tag& tag, const char* image, unsigned char* key, bool* in_filter);

// Builds the tag's tree from every record of the table, appending its
// pages at the end of the file (a new tag header first, unless the tag
// keeps the one it has); sets root and header.  0, 20 (a duplicate met by
// a unique setting of 20) or an error.
int build_tag(Tag& tag, bool keep_header = false);
// Writes a fresh file: directory header and root, then every tag.
int write_file(Index& index);

// Index locking on shared files.  A lock taken to change the file also
// learns where its end now is (another user may have added pages).
int lock_index(Index& index, bool to_change = true);
int unlock_index(Index& index);

// The limit on the memory the builder's sort uses before it spills sorted
// runs to temporary files.
size_t sort_memory_limit();

}  // namespace cdx

}  // namespace qx::dbf

#endif  // QX_DBF_CDX_INTERNAL_H
