// One INI file as the settings service caches it: its lines in file order,
// each classified by the library's line rules, so that a change rewrites the
// file with every other line (comments included) kept as it was.
#ifndef QX_APP_INI_DOCUMENT_H
#define QX_APP_INI_DOCUMENT_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qx::app {

class IniDocument {
 public:
  using Entry = std::pair<std::u16string, std::u16string>;  // name, value

  // Reads `path` (a library path); a missing file gives an empty document.
  static IniDocument load(const std::u16string& path);
  // Writes the document back to its file; false when that fails.
  bool save() const;

  // Group names in file order (each name once, first spelling).
  std::vector<std::u16string> groups() const;
  bool has_group(const std::u16string& group) const;
  // The entries of a group in file order (empty-named lines left out).
  std::vector<Entry> entries(const std::u16string& group) const;
  // The value of the first entry of that name in the first group of that
  // name; nullopt when absent.
  std::optional<std::u16string> value(const std::u16string& group,
                                      const std::u16string& name) const;

  bool add_group(const std::u16string& group);      // false when it exists
  bool remove_group(const std::u16string& group);   // false when absent
  // Replaces the entry's value, or appends the entry to the group (the
  // group is made when missing).
  void set_value(const std::u16string& group, const std::u16string& name,
                 const std::u16string& value);
  // Appends an entry to the group even when the name exists already.
  void add_entry(const std::u16string& group, const std::u16string& name,
                 const std::u16string& value);
  // Removes every entry of the group, keeping its header.
  bool clear_group(const std::u16string& group);

  const std::u16string& path() const { return path_; }

 private:
  enum class Kind { kOther, kHeader, kEntry };
  struct Line {
    Kind kind;
    std::u16string text;   // the line as read or composed
    std::u16string name;   // group name (header) or entry name
    std::u16string value;  // entry value
  };

  static Line classify(const std::u16string& text);
  // Index of the header line of the group, or npos.
  size_t find_header(const std::u16string& group) const;
  // One past the last line that belongs to the group starting at header.
  size_t group_end(size_t header) const;

  std::u16string path_;
  std::vector<Line> lines_;
};

}  // namespace qx::app

#endif  // QX_APP_INI_DOCUMENT_H
