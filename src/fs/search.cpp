// The one process-wide enumeration of a wildcard pattern, and directory
// listings built on it.  The matching entries are taken when the search
// starts, "." and ".." first and the rest in the order of their upper-case
// names (as a Windows volume lists them), so a search is not disturbed by
// the deletes that callers make while it runs.
#include <algorithm>
#include <vector>

#include "fs/names.h"
#include "fs/wildcard.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/strlist.h"

namespace {

// Room of a name in the find record, terminator included.
constexpr size_t kNameRoom = QX_MAX_PATH;

// What the search found last: attributes, times, size and name.
struct FindRecord {
  unsigned attributes = 0;  // 0x01 read-only, 0x10 directory
  int64_t time_create = 0, time_access = 0, time_write = 0;
  int64_t size = 0;
  qx_wchar name[kNameRoom] = {};
};

struct Search {
  bool open = false;
  std::vector<qx::port::DirEntry> found;
  size_t next = 0;
};

FindRecord g_record;
Search g_search;

bool is_dot_entry(const std::u16string& name) { return name == u"." || name == u".."; }

bool listed_before(const qx::port::DirEntry& a, const qx::port::DirEntry& b) {
  bool da = is_dot_entry(a.name), db = is_dot_entry(b.name);
  if (da != db) return da;
  int c = qx::port::wicmp(a.name.c_str(), b.name.c_str());
  return c != 0 ? c < 0 : a.name < b.name;
}

void close_search() {
  g_search.open = false;
  g_search.found.clear();
  g_search.next = 0;
}

// Takes the next entry into the find record and out to `name`.
int take_next(qx_wchar* name) {
  if (!g_search.open || g_search.next >= g_search.found.size()) {
    close_search();
    return -1;
  }
  const qx::port::DirEntry& e = g_search.found[g_search.next++];
  g_record.attributes = (e.status.is_directory ? 0x10u : 0u) | (e.status.writable ? 0u : 0x01u);
  g_record.time_create = e.status.change_time;
  g_record.time_access = e.status.access_time;
  g_record.time_write = e.status.write_time;
  g_record.size = e.status.size;
  qx::port::wcopy(g_record.name, kNameRoom, e.name);
  if (name) qx::port::wcpy(name, g_record.name);
  return 0;
}

}  // namespace

extern "C" {

int qx_File_findFirst(const qx_wchar* pattern, qx_wchar* name) {
  close_search();
  auto p = qx::fs::path_arg(pattern);
  if (!p) return -1;
  std::u16string dir = qx::fs::directory_of(*p);
  std::u16string mask = p->substr(dir.size());
  if (mask.empty()) return -1;

  std::vector<qx::port::DirEntry> entries;
  if (!qx::port::list_directory(dir, &entries)) return -1;
  for (auto& e : entries)
    if (qx::fs::name_matches(mask, e.name)) g_search.found.push_back(std::move(e));
  std::sort(g_search.found.begin(), g_search.found.end(), listed_before);
  g_search.open = true;
  return take_next(name);
}

int qx_File_findNext(qx_wchar* name) { return take_next(name); }

qx_StrList* qx_Dir_list(const qx_wchar* pattern) {
  qx_wchar name[kNameRoom];
  if (qx_File_findFirst(pattern, name) != 0) return nullptr;
  std::u16string dir = qx::fs::lower(qx::fs::directory_of(pattern));
  qx_StrList* list = nullptr;
  do {
    std::u16string path = dir + qx::fs::lower(name);
    if (!list)
      list = qx_StrList_create(path.c_str(), static_cast<const qx_wchar*>(nullptr));
    else
      qx_StrList_insEnd(list, path.c_str());
  } while (qx_File_findNext(name) == 0);
  return list;
}

}  // extern "C"
