#include "app/ini_service.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "app/ini_document.h"
#include "port/com_object.h"
#include "port/file_lock.h"
#include "port/native_file.h"
#include "port/path.h"
#include "port/wstr.h"

namespace qx::app {

namespace {

using port::ComObject;
using port::hand_out_text;

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : std::u16string(); }

// One cached file.  Reads are served from the document as it was read;
// every change is made to the file as it is on disk at that moment, with
// the folder locked, and written at once by replacing the file, so that
// processes sharing a file lose none of each other's changes and a crash
// leaves the old or the new file.
class IniFile {
 public:
  explicit IniFile(std::u16string path)
      : path_(std::move(path)), native_(port::native_path(path_)) {
    read();
  }

  const std::u16string& path() const { return path_; }
  const IniDocument& doc() const { return doc_; }
  // Changes whenever the document does (a read or a change written).
  uint64_t version() const { return version_; }

  // Runs `edit` on the current contents and writes the file when it
  // changed anything.  The answer is the edit's, and false when the file
  // cannot be written (or exists but could not be read: writing it would
  // lose what could not be read), or another writer kept it too long.
  template <typename Edit>
  bool change(Edit edit) {
    port::FolderLock turn(native_);
    if (turn.timed_out()) return false;
    if (port::file_stamp(native_) != stamp_) read();
    if (!readable_) return false;
    if (!edit(doc_)) return false;
    if (!doc_.modified()) return true;
    if (!port::write_file_atomically(native_, doc_.text())) {
      read();  // the file is as it was; so is the document again
      return false;
    }
    doc_.mark_saved();
    stamp_ = port::file_stamp(native_);
    ++version_;
    return true;
  }

 private:
  void read() {
    stamp_ = port::file_stamp(native_);
    std::string bytes;
    bool read = port::read_file(native_, &bytes);
    readable_ = read || !port::file_exists(native_);
    doc_ = read ? IniDocument::parse(bytes) : IniDocument();
    ++version_;
  }

  std::u16string path_;
  std::string native_;
  port::FileStamp stamp_;
  bool readable_ = true;
  IniDocument doc_;
  uint64_t version_ = 0;
};

using FilePtr = std::shared_ptr<IniFile>;

HRESULT answer(bool yes, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = yes ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// A zero-based index from a variant holding an integer.
bool index_of(VARIANT* v, int32_t* index) {
  if (!v) return false;
  VARIANT i4;
  VariantInit(&i4);
  if (FAILED(VariantChangeType(&i4, v, 0, VT_I4))) return false;
  *index = i4.lVal;
  return true;
}

class IniEntryObject final : public ComObject<IIniEntry> {
 public:
  IniEntryObject(FilePtr file, std::u16string group, IniDocument::Entry entry)
      : ComObject(IID_IIniEntry), file_(std::move(file)), group_(std::move(group)),
        entry_(std::move(entry)) {}
  HRESULT get_Value(BSTR* value) override { return hand_out_text(entry_.second, value); }
  HRESULT put_Value(BSTR value) override {
    std::u16string text = text_of(value);
    if (!file_->change([&](IniDocument& doc) { return doc.set_value(group_, entry_.first, text); }))
      return E_FAIL;
    entry_.second = text;
    return S_OK;
  }
  HRESULT get_Name(BSTR* name) override { return hand_out_text(entry_.first, name); }

 private:
  FilePtr file_;
  std::u16string group_;
  IniDocument::Entry entry_;
};

class IniGroupObject final : public ComObject<IIniGroup> {
 public:
  IniGroupObject(FilePtr file, std::u16string group)
      : ComObject(IID_IIniGroup), file_(std::move(file)), group_(std::move(group)) {}
  HRESULT get_Name(BSTR* name) override { return hand_out_text(group_, name); }
  HRESULT get_Count(int32_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(entries().size());
    return S_OK;
  }
  HRESULT get_NewEnum(IUnknown** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }
  HRESULT Item(VARIANT* index, IIniEntry** entry) override {
    if (!entry) return E_POINTER;
    *entry = nullptr;
    int32_t i;
    if (!index_of(index, &i)) return DISP_E_TYPEMISMATCH;
    const auto& all = entries();
    if (i < 0 || static_cast<size_t>(i) >= all.size()) return DISP_E_BADINDEX;
    *entry = new IniEntryObject(file_, group_, all[i]);
    return S_OK;
  }
  HRESULT Add(BSTR* name, BSTR* value) override {
    if (!name || !value) return E_POINTER;
    std::u16string n = text_of(*name), v = text_of(*value);
    return file_->change([&](IniDocument& doc) { return doc.add_entry(group_, n, v); }) ? S_OK
                                                                                        : E_FAIL;
  }
  HRESULT Remove(VARIANT*) override { return E_NOTIMPL; }
  HRESULT Clear(VARIANT_BOOL* done) override {
    return answer(file_->change([&](IniDocument& doc) { return doc.clear_group(group_); }), done);
  }

 private:
  // The group's entries, taken again only when the file changed, so that
  // reading a group entry by entry costs one pass.
  const std::vector<IniDocument::Entry>& entries() {
    if (seen_ != file_->version()) {
      entries_ = file_->doc().entries(group_);
      seen_ = file_->version();
    }
    return entries_;
  }

  FilePtr file_;
  std::u16string group_;
  std::vector<IniDocument::Entry> entries_;
  uint64_t seen_ = 0;  // versions start at 1
};

class IniGroupListObject final : public ComObject<IIniGroupList> {
 public:
  explicit IniGroupListObject(FilePtr file)
      : ComObject(IID_IIniGroupList), file_(std::move(file)), names_(file_->doc().groups()) {}
  HRESULT Item(VARIANT* index, IIniGroup** group) override {
    if (!group) return E_POINTER;
    *group = nullptr;
    int32_t i;
    if (!index_of(index, &i)) return DISP_E_TYPEMISMATCH;
    if (i < 0 || static_cast<size_t>(i) >= names_.size()) return DISP_E_BADINDEX;
    *group = new IniGroupObject(file_, names_[i]);
    return S_OK;
  }
  HRESULT get_Count(int32_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(names_.size());
    return S_OK;
  }

 private:
  FilePtr file_;
  std::vector<std::u16string> names_;
};

class IniServiceObject final : public ComObject<IIniService> {
 public:
  IniServiceObject() : ComObject(IID_IIniService) {}

  HRESULT GetGroup(BSTR file, BSTR group, IIniGroup** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    FilePtr f = cached(file);
    if (f->doc().has_group(text_of(group))) *result = new IniGroupObject(f, text_of(group));
    return S_OK;
  }
  HRESULT GetValue(BSTR file, BSTR group, BSTR name, BSTR* value) override {
    auto v = cached(file)->doc().value(text_of(group), text_of(name));
    return hand_out_text(v ? *v : std::u16string(), value);
  }
  HRESULT GetValueDefault(BSTR file, BSTR group, BSTR name, BSTR fallback, BSTR* value) override {
    auto v = cached(file)->doc().value(text_of(group), text_of(name));
    return hand_out_text(v && !v->empty() ? *v : text_of(fallback), value);
  }
  HRESULT GetGroups(BSTR file, IIniGroupList** result) override {
    if (!result) return E_POINTER;
    *result = new IniGroupListObject(cached(file));
    return S_OK;
  }
  HRESULT AddGroup(BSTR file, BSTR group, VARIANT_BOOL* added) override {
    std::u16string g = text_of(group);
    return answer(cached(file)->change([&](IniDocument& doc) { return doc.add_group(g); }), added);
  }
  HRESULT SetValue(BSTR file, BSTR group, BSTR name, BSTR value, VARIANT_BOOL* written) override {
    std::u16string g = text_of(group), n = text_of(name), v = text_of(value);
    return answer(cached(file)->change([&](IniDocument& doc) { return doc.set_value(g, n, v); }),
                  written);
  }
  HRESULT RemoveGroup(BSTR file, BSTR group, VARIANT_BOOL* removed) override {
    std::u16string g = text_of(group);
    return answer(cached(file)->change([&](IniDocument& doc) { return doc.remove_group(g); }),
                  removed);
  }
  HRESULT RemoveValue(BSTR, BSTR, BSTR, VARIANT_BOOL* removed) override {
    return answer(false, removed);
  }
  HRESULT ResetCache() override {
    cache_.clear();
    return S_OK;
  }
  HRESULT Reload(BSTR file) override {
    cache_.erase(key_of(file));
    cached(file);
    return S_OK;
  }
  HRESULT ViewCache() override {
    for (const auto& [key, f] : cache_)
      std::printf("%s: %zu groups\n", port::to_utf8(f->path()).c_str(), f->doc().groups().size());
    std::fflush(stdout);
    return S_OK;
  }

 private:
  // Files are cached under their lower-cased name, as Windows would see them.
  static std::u16string key_of(BSTR file) {
    std::u16string key = text_of(file);
    for (auto& c : key) c = port::wtolower(c);
    return key;
  }
  FilePtr cached(BSTR file) {
    std::u16string key = key_of(file);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    return cache_[key] = std::make_shared<IniFile>(text_of(file));
  }

  std::unordered_map<std::u16string, FilePtr> cache_;
};

}  // namespace

IIniService* create_ini_service() { return new IniServiceObject; }

}  // namespace qx::app
