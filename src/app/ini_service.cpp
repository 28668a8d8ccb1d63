#include "app/ini_service.h"

#include <cstdio>
#include <map>
#include <memory>

#include "app/ini_document.h"
#include "port/com_object.h"
#include "port/wstr.h"

namespace qx::app {

namespace {

using port::ComObject;
using port::hand_out;
using port::hand_out_text;
using DocPtr = std::shared_ptr<IniDocument>;

std::u16string text_of(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : std::u16string(); }

// A zero-based index from a variant holding an integer.
bool index_of(VARIANT* v, int32_t* index) {
  if (!v) return false;
  VARIANT i4;
  VariantInit(&i4);
  if (FAILED(VariantChangeType(&i4, v, 0, VT_I4))) return false;
  *index = i4.lVal;
  return true;
}

HRESULT answer(bool yes, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = yes ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

class IniEntryObject final : public ComObject<IIniEntry> {
 public:
  IniEntryObject(DocPtr doc, std::u16string group, IniDocument::Entry entry)
      : ComObject(IID_IIniEntry), doc_(std::move(doc)), group_(std::move(group)),
        entry_(std::move(entry)) {}
  HRESULT get_Value(BSTR* value) override { return hand_out_text(entry_.second, value); }
  HRESULT put_Value(BSTR value) override {
    entry_.second = text_of(value);
    doc_->set_value(group_, entry_.first, entry_.second);
    return doc_->save() ? S_OK : E_FAIL;
  }
  HRESULT get_Name(BSTR* name) override { return hand_out_text(entry_.first, name); }

 private:
  DocPtr doc_;
  std::u16string group_;
  IniDocument::Entry entry_;
};

class IniGroupObject final : public ComObject<IIniGroup> {
 public:
  IniGroupObject(DocPtr doc, std::u16string group)
      : ComObject(IID_IIniGroup), doc_(std::move(doc)), group_(std::move(group)) {}
  HRESULT get_Name(BSTR* name) override { return hand_out_text(group_, name); }
  HRESULT get_Count(int32_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(doc_->entries(group_).size());
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
    auto all = doc_->entries(group_);
    if (i < 0 || static_cast<size_t>(i) >= all.size()) return DISP_E_BADINDEX;
    *entry = new IniEntryObject(doc_, group_, all[i]);
    return S_OK;
  }
  HRESULT Add(BSTR* name, BSTR* value) override {
    if (!name || !value) return E_POINTER;
    doc_->add_entry(group_, text_of(*name), text_of(*value));
    return doc_->save() ? S_OK : E_FAIL;
  }
  HRESULT Remove(VARIANT*) override { return E_NOTIMPL; }
  HRESULT Clear(VARIANT_BOOL* done) override {
    bool ok = doc_->clear_group(group_) && doc_->save();
    return answer(ok, done);
  }

 private:
  DocPtr doc_;
  std::u16string group_;
};

class IniGroupListObject final : public ComObject<IIniGroupList> {
 public:
  explicit IniGroupListObject(DocPtr doc)
      : ComObject(IID_IIniGroupList), doc_(std::move(doc)), names_(doc_->groups()) {}
  HRESULT Item(VARIANT* index, IIniGroup** group) override {
    if (!group) return E_POINTER;
    *group = nullptr;
    int32_t i;
    if (!index_of(index, &i)) return DISP_E_TYPEMISMATCH;
    if (i < 0 || static_cast<size_t>(i) >= names_.size()) return DISP_E_BADINDEX;
    *group = new IniGroupObject(doc_, names_[i]);
    return S_OK;
  }
  HRESULT get_Count(int32_t* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(names_.size());
    return S_OK;
  }

 private:
  DocPtr doc_;
  std::vector<std::u16string> names_;
};

class IniServiceObject final : public ComObject<IIniService> {
 public:
  IniServiceObject() : ComObject(IID_IIniService) {}

  HRESULT GetGroup(BSTR file, BSTR group, IIniGroup** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    DocPtr doc = document(file);
    if (doc->has_group(text_of(group))) *result = new IniGroupObject(doc, text_of(group));
    return S_OK;
  }
  HRESULT GetValue(BSTR file, BSTR group, BSTR name, BSTR* value) override {
    auto v = document(file)->value(text_of(group), text_of(name));
    return hand_out_text(v ? *v : std::u16string(), value);
  }
  HRESULT GetValueDefault(BSTR file, BSTR group, BSTR name, BSTR fallback, BSTR* value) override {
    auto v = document(file)->value(text_of(group), text_of(name));
    return hand_out_text(v && !v->empty() ? *v : text_of(fallback), value);
  }
  HRESULT GetGroups(BSTR file, IIniGroupList** result) override {
    if (!result) return E_POINTER;
    *result = new IniGroupListObject(document(file));
    return S_OK;
  }
  HRESULT AddGroup(BSTR file, BSTR group, VARIANT_BOOL* added) override {
    DocPtr doc = document(file);
    return answer(doc->add_group(text_of(group)) && doc->save(), added);
  }
  HRESULT SetValue(BSTR file, BSTR group, BSTR name, BSTR value, VARIANT_BOOL* written) override {
    if (text_of(name).empty() || text_of(group).empty()) return answer(false, written);
    DocPtr doc = document(file);
    doc->set_value(text_of(group), text_of(name), text_of(value));
    return answer(doc->save(), written);
  }
  HRESULT RemoveGroup(BSTR file, BSTR group, VARIANT_BOOL* removed) override {
    DocPtr doc = document(file);
    return answer(doc->remove_group(text_of(group)) && doc->save(), removed);
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
    document(file);
    return S_OK;
  }
  HRESULT ViewCache() override {
    for (const auto& [key, doc] : cache_)
      std::printf("%s: %zu groups\n", port::to_utf8(doc->path()).c_str(), doc->groups().size());
    return S_OK;
  }

 private:
  // Files are cached under their lower-cased name, as Windows would see them.
  static std::u16string key_of(BSTR file) {
    std::u16string key = text_of(file);
    for (auto& c : key) c = port::wtolower(c);
    return key;
  }
  DocPtr document(BSTR file) {
    std::u16string key = key_of(file);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    auto doc = std::make_shared<IniDocument>(IniDocument::load(text_of(file)));
    cache_[key] = doc;
    return doc;
  }

  std::map<std::u16string, DocPtr> cache_;
};

}  // namespace

IIniService* create_ini_service() { return new IniServiceObject; }

}  // namespace qx::app
