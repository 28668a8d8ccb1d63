#include "app/translator_internal.h"

#include <map>
#include <optional>

#include "port/com_object.h"
#include "port/native_file.h"
#include "port/path.h"
#include "port/wstr.h"

namespace qx::app {

namespace {

using Catalogue = std::map<std::u16string, std::u16string>;

std::u16string unescape(const std::u16string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'\\' || i + 1 == s.size()) {
      out.push_back(s[i]);
      continue;
    }
    char16_t c = s[++i];
    out.push_back(c == u'n' ? u'\n' : c == u't' ? u'\t' : c);
  }
  return out;
}

std::u16string trim(const std::u16string& s) {
  size_t b = 0, e = s.size();
  while (b < e && port::wisspace(s[b])) ++b;
  while (e > b && port::wisspace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Reads the catalogue; nullopt when the file exists but cannot be read, an
// empty catalogue when there is no file.
std::optional<Catalogue> read_catalogue(const std::u16string& path) {
  Catalogue texts;
  std::string native = port::native_path(path);
  if (!port::file_exists(native)) return texts;  // nothing is translated
  std::string contents;
  if (!port::read_file(native, &contents)) return std::nullopt;
  for (std::string_view raw : port::split_lines(contents)) {
    std::u16string line = port::from_utf8(raw);
    std::u16string t = trim(line);
    if (t.empty() || t[0] == u'#' || t[0] == u';') continue;
    size_t eq = line.find(u'=');
    if (eq == std::u16string::npos) continue;
    texts.emplace(trim(line.substr(0, eq)), unescape(line.substr(eq + 1)));
  }
  return texts;
}

class TranslatorObject final : public port::ComObject<ITranslator> {
 public:
  explicit TranslatorObject(std::u16string config_dir)
      : ComObject(IID_ITranslator), config_dir_(std::move(config_dir)) {}

  HRESULT get_Language(BSTR* language) override { return port::hand_out_text(u"", language); }

  HRESULT Translate(BSTR* text, BSTR* key, int16_t* layout, BSTR* result) override {
    if (!text || !key || !layout || !result) return E_POINTER;
    *result = nullptr;
    if (!loaded_) {
      auto texts = read_catalogue(catalogue_path());
      if (!texts) return E_FAIL;
      texts_ = std::move(*texts);
      loaded_ = true;
    }
    std::u16string k = *key ? std::u16string(*key, SysStringLen(*key)) : std::u16string();
    auto it = texts_.find(k);
    return port::hand_out_text(it == texts_.end() ? std::u16string() : it->second, result);
  }

 private:
  std::u16string catalogue_path() const {
    if (config_dir_.empty()) return kCatalogueName;
    char16_t last = config_dir_.back();
    bool has_sep = last == u'/' || last == u'\\';
    return config_dir_ + (has_sep ? u"" : u"/") + kCatalogueName;
  }

  std::u16string config_dir_;
  bool loaded_ = false;
  Catalogue texts_;
};

}  // namespace

ITranslator* create_translator(const std::u16string& config_dir) {
  return new TranslatorObject(config_dir);
}

}  // namespace qx::app
