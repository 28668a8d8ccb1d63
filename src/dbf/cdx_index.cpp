// Index files: opening one with its tag directory and tags, creating one,
// adding a tag, finding tags, and the key maintenance that keeps every tag
// equal to the table's records.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/table_internal.h"

namespace qx::dbf {

namespace cdx {

namespace {

std::string tag_name_of(const char* name) {
  std::string n(name, strnlen(name, kTagNameLength));
  while (!n.empty() && n.back() == ' ') n.pop_back();
  for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return n;
}

// The base name of a file, without folder and extension, as a tag name.
std::string base_tag_name(const std::string& file) {
  size_t slash = file.find_last_of("/\\:");
  std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  return tag_name_of(base.c_str());
}

std::string index_file_name(Table* t, const char* name) {
  return name ? with_extension(name, "cdx") : replace_extension(t->name, "cdx");
}

int open_tag(Index& index, const std::string& name, uint32_t header, std::unique_ptr<Tag>* out) {
  if (header % kPageSize != 0 || uint64_t{header} + kHeaderSize > index.end)
    return bad_index(index, "Tag Entry Missing");
  auto tag = std::make_unique<Tag>();
  tag->index = &index;
  tag->name = name;
  tag->header_offset = header;
  tag->unique_from_file = true;
  int rc = read_header(*tag);
  if (rc == 0) rc = prepare_tag(*tag, true);
  if (rc != 0) return rc;
  *out = std::move(tag);
  return 0;
}

// Reads the tag directory and opens every tag it names.
int open_trees(Index& index) {
  unsigned char head[kHeaderSize];
  if (index.end < kHeaderSize) return bad_index(index);
  int rc = read_bytes(index, 0, head, sizeof head);
  if (rc != 0) return rc;
  uint32_t root = coding::get32le(head);
  unsigned char options = head[14];
  if (root == 0 || options < kOptCompact) return bad_index(index);
  if ((options & kOptCompound) == 0) {
    // A single-tag compact index: the header is its only tag.
    index.compound = false;
    std::unique_ptr<Tag> tag;
    rc = open_tag(index, base_tag_name(index.name), 0, &tag);
    if (rc == 0) index.tags.push_back(std::move(tag));
    return rc;
  }
  Tag& dir = index.directory;
  dir.index = &index;
  dir.name = "";
  dir.header_offset = 0;
  rc = read_header(dir);
  if (rc != 0) return rc;
  Position at;
  rc = leftmost(dir, &at);
  while (rc == 0 && at.valid) {
    const unsigned char* key = key_at(dir, at);
    uint32_t header = record_at(dir, at);
    if (!key) return bad_index(index);
    std::string name(reinterpret_cast<const char*>(key), dir.key_length);
    name = tag_name_of(name.c_str());
    std::unique_ptr<Tag> tag;
    rc = open_tag(index, name, header, &tag);
    if (rc != 0) return rc;
    index.tags.push_back(std::move(tag));
    rc = next_entry(dir, &at);
  }
  return rc;
}

std::unique_ptr<Index> open_index(Table* t, const std::string& name) {
  Engine* e = t->engine;
  auto index = std::make_unique<Index>();
  index->table = t;
  index->name = name;
  if (file_open(e, index->file, name) != 0) return nullptr;
  // Under the index lock another user's change is never seen half made.
  if (lock_index(*index) != 0) return nullptr;
  int64_t length = file_length(index->file);
  index->end = length < 0 ? 0 : static_cast<uint64_t>(length);
  int rc = open_trees(*index);
  unlock_index(*index);
  if (rc != 0) return nullptr;
  return index;
}

// A tag of a new index from its entry of a tag list; its texts are checked
// and parsed, nothing is written yet.
int new_tag(Index& index, const TagInfo& info, std::unique_ptr<Tag>* out) {
  Engine* e = index.table->engine;
  auto tag = std::make_unique<Tag>();
  tag->index = &index;
  tag->name = tag_name_of(info.name);
  tag->key_text = info.expression ? info.expression : "";
  tag->filter_text = info.filter ? info.filter : "";
  if (tag->filter_text.find_first_not_of(' ') == std::string::npos) tag->filter_text.clear();
  if (tag->key_text.size() > kMaxSourceLength || tag->filter_text.size() > kMaxSourceLength)
    return report_error(e, kErrIndex, "expression source length > max allowable chars for index",
                        index.name.c_str());
  if (tag->name.empty()) return report_error(e, kErrTagName, "");
  tag->unique_setting = info.unique;
  tag->options = kTagOptions | (info.unique ? kOptUnique : 0) | (tag->filter_text.empty() ? 0 : kOptFilter);
  tag->descending = info.descending != 0;
  // The key length follows from the key: 8 for numbers and dates, 4 for
  // integer fields, the text's length for characters.
  tag->key_length = 1;
  int rc = prepare_tag(*tag, false);
  if (rc != 0) return rc;
  const KeySource& k = tag->key;
  if (k.kind == KeySource::kUnsupported) return report_error(e, kErrInfo, "Invalid key type in index file", tag->name.c_str());
  long length = k.type != 'C' ? (k.kind == KeySource::kIntegerField ? kIntegerKeyLength : kNumericKeyLength)
                : k.field ? static_cast<long>(k.field->width)
                          : exprKeyLength(k.expression);
  if (length > static_cast<long>(kMaxKeyLength)) return report_error(e, kErrMemory, "Expression too large");
  if (length < 1) return report_error(e, kErrIndex, "key length", index.name.c_str());
  tag->key_length = static_cast<unsigned>(length);
  tag->usable = true;
  *out = std::move(tag);
  return 0;
}

// Closes and removes a file that this call created and could not finish.
void abandon(Index& index) {
  std::string name = index.file.name;
  file_close(index.file);
  port::delete_file(native_name(name));
}

bool same_key(Tag& tag, const Position& at, const unsigned char* key) {
  const unsigned char* k = at.valid ? key_at(tag, at) : nullptr;
  return k && std::memcmp(k, key, tag.key_length) == 0;
}

bool holds(Tag& tag, const unsigned char* key, uint32_t record, int* rc) {
  Position at;
  *rc = seek_first(tag, key, tag.key_length, record, &at);
  return *rc == 0 && same_key(tag, at, key) && record_at(tag, at) == record;
}

// After a unique tag lost the record of a key, the first other record with
// that key (in the filter) takes its place.  `current` is the record whose
// new image is in the buffer (its stored image is out of date).
int refill_unique(Tag& tag, const unsigned char* key, long current) {
  Table* t = tag.index->table;
  long count = dbfRecordCount(t);
  std::vector<char> image(t->record_length + 1);
  std::vector<unsigned char> k(tag.key_length);
  for (long n = 1; n <= count; ++n) {
    bool in = false;
    int rc;
    if (n == current) {
      rc = record_key(tag, k.data(), &in);
    } else {
      uint64_t at = t->header_length + static_cast<uint64_t>(n - 1) * t->record_length;
      rc = file_read_all(t->file, at, image.data(), t->record_length);
      if (rc == 0) rc = image_key(tag, image.data(), k.data(), &in);
    }
    if (rc != 0) return rc;
    if (in && std::memcmp(k.data(), key, tag.key_length) == 0)
      return insert_key(tag, key, static_cast<uint32_t>(n));
  }
  return 0;
}

// Adds a pair, meeting a duplicate key of a unique tag as its setting says.
int add_pair(Tag& tag, const unsigned char* key, uint32_t record) {
  int unique = tag.uniqueness();
  if (unique != 0) {
    Position at;
    int rc = seek_first(tag, key, tag.key_length, 0, &at);
    if (rc != 0) return rc;
    if (same_key(tag, at, key)) {
      uint32_t holder = record_at(tag, at);
      if (holder == record) return 0;
      if (unique == kUnique) return kUnique;
      if (unique == kErrUnique)
        return report_error(tag.index->table->engine, kErrUnique, tag.name.c_str());
      if (holder < record) return 0;  // the first record of the key stays
      rc = remove_key(tag, key, holder);
      if (rc != 0) return rc;
    }
  }
  return insert_key(tag, key, record);
}

int remove_pair(Tag& tag, const unsigned char* key, uint32_t record, long current) {
  int rc = 0;
  if (!holds(tag, key, record, &rc)) return rc;
  rc = remove_key(tag, key, record);
  int unique = tag.uniqueness();
  if (rc == 0 && unique != 0 && unique != kUnique && unique != kErrUnique)
    rc = refill_unique(tag, key, current);
  return rc;
}

}  // namespace

int lock_index(Index& index, bool to_change) {
  if (index.lock_depth++ > 0 || !index.shared()) return 0;
  int rc = file_lock(index.file, kIndexLock, 1);
  if (rc != 0) {
    index.lock_depth = 0;
    return rc;
  }
  if (!to_change) return 0;
  // Another process may have added pages meanwhile.
  int64_t length = file_length(index.file);
  if (length >= 0) index.end = static_cast<uint64_t>(length);
  return 0;
}

int unlock_index(Index& index) {
  if (index.lock_depth == 0 || --index.lock_depth > 0 || !index.shared()) return 0;
  return file_unlock(index.file, kIndexLock, 1);
}

}  // namespace cdx

using namespace cdx;

Index::~Index() {
  if (file.is_open()) file_close(file);
}

int Index::add_keys(Table&, long rec_no) {
  int rc = lock_index(*this);
  if (rc != 0) return rc;
  std::vector<unsigned char> key(kMaxKeyLength);
  size_t done = 0;
  for (; rc == 0 && done < tags.size(); ++done) {
    Tag& tag = *tags[done];
    bool in = false;
    rc = refresh(tag);
    if (rc == 0) rc = record_key(tag, key.data(), &in);
    if (rc == 0 && in) rc = add_pair(tag, key.data(), static_cast<uint32_t>(rec_no));
    if (rc == 0 && in) rc = bump_version(tag);
  }
  if (rc != 0) {
    // Take the record out of the tags that took it.
    for (size_t i = 0; i + 1 < done; ++i) {
      bool in = false;
      if (record_key(*tags[i], key.data(), &in) == 0 && in) {
        remove_key(*tags[i], key.data(), static_cast<uint32_t>(rec_no));
        bump_version(*tags[i]);
      }
    }
  }
  int u = unlock_index(*this);
  return rc != 0 ? rc : u;
}

int Index::remove_keys(Table&, long rec_no) {
  int rc = lock_index(*this);
  if (rc != 0) return rc;
  std::vector<unsigned char> key(kMaxKeyLength);
  for (auto& tp : tags) {
    bool in = false;
    rc = refresh(*tp);
    if (rc == 0) rc = record_key(*tp, key.data(), &in);
    if (rc == 0 && in) rc = remove_pair(*tp, key.data(), static_cast<uint32_t>(rec_no), rec_no);
    if (rc == 0 && in) rc = bump_version(*tp);
    if (rc != 0) break;
  }
  int u = unlock_index(*this);
  return rc != 0 ? rc : u;
}

int Index::change_keys(Table&, long rec_no, const char* old_record) {
  int rc = lock_index(*this);
  if (rc != 0) return rc;
  std::vector<unsigned char> old_key(kMaxKeyLength), new_key(kMaxKeyLength);
  for (auto& tp : tags) {
    Tag& tag = *tp;
    bool was_in = false, is_in = false;
    rc = refresh(tag);
    if (rc == 0) rc = image_key(tag, old_record, old_key.data(), &was_in);
    if (rc == 0) rc = record_key(tag, new_key.data(), &is_in);
    if (rc != 0) break;
    if (was_in == is_in && std::memcmp(old_key.data(), new_key.data(), tag.key_length) == 0) continue;
    if (was_in) rc = remove_pair(tag, old_key.data(), static_cast<uint32_t>(rec_no), rec_no);
    if (rc == 0 && is_in) rc = add_pair(tag, new_key.data(), static_cast<uint32_t>(rec_no));
    if (rc == 0) rc = bump_version(tag);
    if (rc != 0) break;
  }
  int u = unlock_index(*this);
  return rc != 0 ? rc : u;
}

int Index::rebuild(Table&) {
  int rc = lock_index(*this);
  if (rc != 0) return rc;
  if (shared()) {
    // Other users keep the tags' header offsets: each tag gets new pages at
    // the end and keeps its header, whose raised counter tells them; the old
    // pages stay behind unreachable.
    for (size_t i = 0; rc == 0 && i < tags.size(); ++i) {
      rc = refresh(*tags[i]);
      if (rc == 0) rc = build_tag(*tags[i], true);
    }
  } else {
    rc = write_file(*this);
  }
  int u = unlock_index(*this);
  return rc != 0 ? rc : u;
}

int Index::lock_all() { return lock_index(*this); }
int Index::unlock_all() { return unlock_index(*this); }

int Index::close() {
  if (table && table->selected) {
    for (auto& tp : tags)
      if (table->selected == tp.get()) table->selected = nullptr;
  }
  while (lock_depth > 0) unlock_index(*this);
  return file.is_open() ? file_close(file) : 0;
}

namespace {

IndexFile* open_production(Table& t) {
  std::unique_ptr<Index> index = open_index(&t, index_file_name(&t, nullptr));
  if (index) index->production = true;
  return index.release();
}

IndexFile* create_production(Table& t, const TagInfo* tags) {
  Index* ix = idxCreate(&t, nullptr, tags);
  if (!ix) return nullptr;
  // idxCreate placed it on the table; the caller places it again.
  for (auto it = t.indexes.begin(); it != t.indexes.end(); ++it) {
    if (it->get() == ix) {
      it->release();
      t.indexes.erase(it);
      break;
    }
  }
  return ix;
}

const bool g_installed = (installCompoundIndex(), true);

}  // namespace

void installCompoundIndex() {
  set_production_index_opener(&open_production);
  set_production_index_creator(&create_production);
}

Index* idxOpen(Table* t, const char* name) {
  (void)g_installed;
  if (!t || in_error(t->engine)) return nullptr;
  std::unique_ptr<Index> index = open_index(t, index_file_name(t, name));
  if (!index) return nullptr;
  Index* result = index.get();
  t->indexes.push_back(std::move(index));
  return result;
}

int idxClose(Index* index) {
  if (!index) return -1;
  Table* t = index->table;
  int rc = index->close();
  auto& list = t->indexes;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [index](const std::unique_ptr<IndexFile>& p) { return p.get() == index; }),
             list.end());
  return rc;
}

Index* idxCreate(Table* t, const char* name, const TagInfo* tags) {
  if (!t || in_error(t->engine)) return nullptr;
  Engine* e = t->engine;
  e->lastError = 0;
  auto index = std::make_unique<Index>();
  index->table = t;
  index->name = index_file_name(t, name);
  index->directory.index = index.get();
  for (const TagInfo* info = tags; info && info->name; ++info) {
    std::unique_ptr<Tag> tag;
    if (new_tag(*index, *info, &tag) != 0) return nullptr;
    index->tags.push_back(std::move(tag));
  }
  if (file_create(e, index->file, index->name) != 0) return nullptr;
  int rc = write_file(*index);
  if (rc != 0) {
    abandon(*index);
    if (rc == kUnique) e->lastError = kUnique;
    return nullptr;
  }
  if (!name && set_production_index_flag(t, true) != 0) {
    abandon(*index);
    return nullptr;
  }
  index->production = name == nullptr;
  Index* result = index.get();
  t->indexes.push_back(std::move(index));
  return result;
}

Index* idxProduction(Table* t) {
  if (!t) return nullptr;
  for (auto& f : t->indexes) {
    auto* index = dynamic_cast<Index*>(f.get());
    if (index && index->production) return index;
  }
  return nullptr;
}

int idxAddTag(Index* index, const TagInfo* info) {
  if (!index || !info || !info->name) return -1;
  Table* t = index->table;
  if (in_error(t->engine)) return -1;
  if (!index->compound) return report_error(t->engine, kErrIndex, index->name.c_str(), "single-tag index");
  std::unique_ptr<Tag> tag;
  int rc = new_tag(*index, *info, &tag);
  if (rc != 0) return rc;
  rc = lock_index(*index);
  if (rc != 0) return rc;
  Tag& dir = index->directory;
  rc = refresh(dir);
  if (rc == 0) rc = build_tag(*tag);
  unsigned char name[kTagNameLength];
  std::memset(name, ' ', sizeof name);
  std::memcpy(name, tag->name.data(), std::min<size_t>(tag->name.size(), kTagNameLength));
  // A tag of the same name gives way to the new one.
  auto same = std::find_if(index->tags.begin(), index->tags.end(),
                           [&](const std::unique_ptr<Tag>& p) { return p->name == tag->name; });
  if (rc == 0 && same != index->tags.end()) {
    rc = remove_key(dir, name, (*same)->header_offset);
    if (rc == 0) {
      if (t->selected == same->get()) t->selected = nullptr;
      index->tags.erase(same);
    }
  }
  if (rc == 0) rc = insert_key(dir, name, tag->header_offset);
  if (rc == 0) rc = bump_version(dir);
  if (rc == 0) {
    index->tags.push_back(std::move(tag));
    std::stable_sort(index->tags.begin(), index->tags.end(),
                     [](const std::unique_ptr<Tag>& a, const std::unique_ptr<Tag>& b) { return a->name < b->name; });
  }
  int u = unlock_index(*index);
  return rc != 0 ? rc : u;
}

Tag* tagNext(Table* t, Tag* tag) {
  if (!t) return nullptr;
  bool take = tag == nullptr;
  for (auto& f : t->indexes) {
    auto* index = dynamic_cast<Index*>(f.get());
    if (!index) continue;
    for (auto& tp : index->tags) {
      if (take) return tp.get();
      if (tp.get() == tag) take = true;
    }
  }
  return nullptr;
}

Tag* tagFind(Table* t, const char* name) {
  if (!t || !name) return nullptr;
  std::string wanted = tag_name_of(name);
  for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag))
    if (tag->name == wanted) return tag;
  if (t->engine->reportTagNameFailure) report_error(t->engine, kErrTagName, wanted.c_str());
  return nullptr;
}

void tagSelect(Table* t, Tag* tag) {
  if (!t) return;
  t->selected = tag;
  if (tag) tag->cursor.valid = false;
}

Tag* tagSelected(Table* t) { return t ? dynamic_cast<Tag*>(t->selected) : nullptr; }

const char* tagName(const Tag* tag) { return tag ? tag->name.c_str() : nullptr; }
const char* tagExpressionSource(const Tag* tag) { return tag ? tag->key_text.c_str() : nullptr; }
const char* tagFilterSource(const Tag* tag) {
  return tag && !tag->filter_text.empty() ? tag->filter_text.c_str() : nullptr;
}
char tagKeyType(const Tag* tag) { return tag ? tag->key.type : 0; }
int tagKeyLength(const Tag* tag) { return tag ? static_cast<int>(tag->key_length) : 0; }
bool tagUnique(const Tag* tag) { return tag && tag->is_unique(); }
bool tagDescending(const Tag* tag) { return tag && tag->descending; }

}  // namespace qx::dbf
