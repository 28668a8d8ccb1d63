#include "dbf/journal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"
#include "port/fs.h"
#include "port/native_file.h"
#include "port/wstr.h"

namespace qx::dbf {

namespace {

constexpr unsigned char kMark[8] = {'Q', 'X', 'P', 'A', 'C', 'K', 'J', 1};
constexpr unsigned kHeadSize = 32;
constexpr unsigned kEntryHeadSize = 32;
constexpr size_t kCopyChunk = 64 * 1024;
constexpr uint32_t kMaxEntries = 4096;

enum Role : unsigned char { kRoleData = 0, kRoleIndex = 1 };

struct Entry {
  Role role = kRoleData;
  std::string name;        // system path of an index file; empty for the data file
  uint64_t original = 0;   // the file's length before the pack
  uint64_t offset = 0;     // where the saved bytes belong
  uint64_t size = 0;       // how many were saved
};

// A handle of its own on a system path, for writing whatever the context's
// access setting says: the journal, or a file that it restores.  Without
// `report`, a file that cannot be opened gives -1 and no error.
int open_path(Engine* e, File& f, const std::string& path, bool create, bool report = true) {
  uint32_t share = e->exclusiveAccess ? 0u : port::kShareRead | port::kShareWrite;
  port::WinFile h = port::WinFile::create_file(
      path, port::kGenericRead | port::kGenericWrite, create ? 0u : share,
      create ? port::Disposition::kCreateAlways : port::Disposition::kOpenExisting);
  if (!h.is_open() && !report) return -1;
  if (!h.is_open()) return report_error(e, create ? kErrCreate : kErrOpen, "File Name:", path.c_str());
  f.engine = e;
  f.name = path;
  f.handle = std::move(h);
  f.read_only = false;
  f.exclusive = create || e->exclusiveAccess != 0;
  return 0;
}

int copy_bytes(File& from, uint64_t from_offset, File& to, uint64_t to_offset, uint64_t size) {
  std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(size, kCopyChunk)));
  for (uint64_t done = 0; done < size;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(size - done, buffer.size()));
    int rc = file_read_all(from, from_offset + done, buffer.data(), n);
    if (rc == 0) rc = file_write(to, to_offset + done, buffer.data(), n);
    if (rc != 0) return rc;
    done += n;
  }
  return 0;
}

std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return port::to_utf8(port::current_directory()) + "/" + path;
}

// Appends one entry at `*pos` with the bytes of `source` it names.
int write_entry(File& journal, uint64_t* pos, const Entry& entry, File& source) {
  unsigned char head[kEntryHeadSize] = {};
  head[0] = entry.role;
  coding::put32le(head + 4, static_cast<uint32_t>(entry.name.size()));
  coding::put64le(head + 8, entry.original);
  coding::put64le(head + 16, entry.offset);
  coding::put64le(head + 24, entry.size);
  int rc = file_write(journal, *pos, head, sizeof head);
  if (rc == 0 && !entry.name.empty())
    rc = file_write(journal, *pos + kEntryHeadSize, entry.name.data(), entry.name.size());
  uint64_t data = *pos + kEntryHeadSize + entry.name.size();
  if (rc == 0) rc = copy_bytes(source, entry.offset, journal, data, entry.size);
  *pos = data + entry.size;
  return rc;
}

// Reads the entry at `*pos`; false when it does not lie within the journal.
bool read_entry(File& journal, uint64_t length, uint64_t* pos, Entry* entry) {
  unsigned char head[kEntryHeadSize];
  if (*pos + kEntryHeadSize > length ||
      file_read_quiet(journal, *pos, head, sizeof head) != static_cast<int64_t>(sizeof head))
    return false;
  entry->role = static_cast<Role>(head[0]);
  uint32_t name_size = coding::get32le(head + 4);
  entry->original = coding::get64le(head + 8);
  entry->offset = coding::get64le(head + 16);
  entry->size = coding::get64le(head + 24);
  uint64_t data = *pos + kEntryHeadSize + name_size;
  if (head[0] > kRoleIndex || name_size > 4096 || data > length || entry->size > length - data ||
      entry->offset > entry->original || entry->size > entry->original - entry->offset)
    return false;
  entry->name.assign(name_size, '\0');
  if (name_size &&
      file_read_quiet(journal, *pos + kEntryHeadSize, entry->name.data(), name_size) !=
          static_cast<int64_t>(name_size))
    return false;
  *pos = data;
  return true;
}

// Puts one entry's bytes back and gives the file its old length.
int restore_entry(Engine* e, File& journal, uint64_t data, const Entry& entry, File& data_file) {
  File other;
  File* target = &data_file;
  if (entry.role == kRoleIndex) {
    // An index file removed since the crash has nothing left to restore.
    if (!port::file_exists(entry.name)) return 0;
    int rc = open_path(e, other, entry.name, false);
    if (rc != 0) return rc;
    target = &other;
  }
  int rc = copy_bytes(journal, data, *target, entry.offset, entry.size);
  if (rc == 0) rc = file_set_length(*target, entry.original);
  if (rc == 0) rc = file_sync(*target);
  if (target == &other) file_close(other);
  return rc;
}

// Restores from the journal at `path` into the data file (whose whole-file
// lock the caller holds) and removes the journal.
int restore(Engine* e, File& data_file, const std::string& path) {
  if (!port::file_exists(path)) return 0;  // the pack we waited for has ended
  File journal;
  int rc = open_path(e, journal, path, false);
  if (rc != 0) return rc;
  journal.exclusive = true;  // the data file's lock keeps every other packer out
  int64_t length = file_length(journal);
  unsigned char head[kHeadSize] = {};
  bool complete = file_read_quiet(journal, 0, head, sizeof head) == static_cast<int64_t>(kHeadSize) &&
                  std::memcmp(head, kMark, sizeof kMark) == 0 &&
                  coding::get64le(head + 16) == static_cast<uint64_t>(length);
  if (complete) {
    uint32_t entries = coding::get32le(head + 8);
    uint64_t pos = kHeadSize;
    if (entries > kMaxEntries) rc = report_error(e, kErrData, path.c_str());
    for (uint32_t i = 0; rc == 0 && i < entries; ++i) {
      Entry entry;
      if (!read_entry(journal, static_cast<uint64_t>(length), &pos, &entry)) {
        rc = report_error(e, kErrData, path.c_str());
        break;
      }
      rc = restore_entry(e, journal, pos, entry, data_file);
      pos += entry.size;
    }
  }
  file_close(journal);
  // A journal that cannot be used is kept, so that nothing it holds is lost;
  // the table will not open until someone looks at it.
  if (rc != 0) return rc;
  if (!port::delete_file(path)) return report_error(e, kErrRemove, path.c_str());
  port::sync_folder_of(path);
  return 0;
}

// The production index of a table whose index files do not hand their file
// to the journal: found by its name beside the table and opened through a
// handle of the journal's own, which a shared table allows.  (An index file
// opened exclusively keeps other handles out; it has to name its file.)
bool production_index_by_name(Table* t, File& f) {
  bool named = std::any_of(t->indexes.begin(), t->indexes.end(),
                           [](const std::unique_ptr<IndexFile>& ix) { return ix->journal_file(); });
  if (named || !t->production_index || t->indexes.empty()) return false;
  std::string path = native_name(replace_extension(t->name, "cdx"));
  return port::is_file(path) && open_path(t->engine, f, path, false, false) == 0;
}

}  // namespace

std::string journal_path(const std::string& table_name) {
  return native_name(table_name) + ".journal";
}

bool journal_exists(const std::string& table_name) {
  return port::file_exists(journal_path(table_name));
}

int journal_recover(Engine* e, const std::string& table_name) {
  File data_file;
  int rc = open_path(e, data_file, native_name(table_name), false);
  if (rc != 0) return rc;
  rc = file_lock(data_file, kFileLockOffset, kFileLockLength);
  if (rc == 0) {
    rc = restore(e, data_file, journal_path(table_name));
    int u = file_unlock(data_file, kFileLockOffset, kFileLockLength);
    if (rc == 0) rc = u;
  }
  file_close(data_file);
  return rc;
}

int journal_recover_locked(Table* t) {
  int rc = restore(t->engine, t->file, journal_path(t->name));
  t->locked_count = -1;  // the restored header holds the count
  return rc;
}

int journal_begin(Table* t, uint64_t from) {
  Engine* e = t->engine;
  std::string path = journal_path(t->name);
  File journal;
  int rc = open_path(e, journal, path, true);
  if (rc != 0) return rc;
  uint64_t pos = kHeadSize;
  uint32_t entries = 0;
  auto save = [&](const Entry& entry, File& source) {
    if (rc == 0) rc = write_entry(journal, &pos, entry, source);
    ++entries;
  };
  uint64_t length = static_cast<uint64_t>(file_length(t->file));
  save(Entry{kRoleData, {}, length, 0, std::min<uint64_t>(kHeaderSize, length)}, t->file);
  if (from < length) save(Entry{kRoleData, {}, length, from, length - from}, t->file);
  for (auto& ix : t->indexes) {
    File* f = ix->journal_file();
    if (!f) continue;
    uint64_t size = static_cast<uint64_t>(file_length(*f));
    save(Entry{kRoleIndex, absolute(native_name(f->name)), size, 0, size}, *f);
  }
  File production;
  if (production_index_by_name(t, production)) {
    uint64_t size = static_cast<uint64_t>(file_length(production));
    save(Entry{kRoleIndex, absolute(production.name), size, 0, size}, production);
    file_close(production);
  }
  // The mark goes in only once everything it vouches for is on the disk.
  if (rc == 0) rc = file_sync(journal);
  if (rc == 0) {
    unsigned char head[kHeadSize] = {};
    std::memcpy(head, kMark, sizeof kMark);
    coding::put32le(head + 8, entries);
    coding::put64le(head + 16, pos);
    rc = file_write(journal, 0, head, sizeof head);
  }
  if (rc == 0) rc = file_sync(journal);
  file_close(journal);
  if (rc != 0) {
    port::delete_file(path);
    return rc;
  }
  port::sync_folder_of(path);  // the journal's name is on the disk before the table changes
  return 0;
}

int sync_index_files(Table* t) {
  int rc = 0;
  for (auto& ix : t->indexes) {
    File* f = ix->journal_file();
    if (rc == 0 && f) rc = file_sync(*f);
  }
  // Any handle brings a file's data to the disk, whoever wrote it.
  File production;
  if (rc == 0 && production_index_by_name(t, production)) {
    rc = file_sync(production);
    file_close(production);
  }
  return rc;
}

int journal_commit(Table* t) {
  int rc = file_sync(t->file);
  if (rc == 0) rc = sync_index_files(t);
  if (rc != 0) return rc;
  std::string path = journal_path(t->name);
  if (!port::delete_file(path)) return report_error(t->engine, kErrRemove, path.c_str());
  port::sync_folder_of(path);
  return 0;
}

}  // namespace qx::dbf
