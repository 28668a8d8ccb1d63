// One INI file as the settings service keeps it: every line in file order
// with its own bytes and line end, classified by the library's line rules.
// A change touches only the lines it must; every other line (comments,
// blank lines, long lines, odd spacing) is written back byte for byte, with
// the file's byte-order mark and line ends.  New lines take the line end the
// file already uses ("\n" for a new file) and its encoding (UTF-8, or
// ISO-8859-1 for a file whose bytes are not UTF-8).  Lines are read as every
// text file of the library is: UTF-8, a stray byte taken as ISO-8859-1.
//
// Lookups go through an index of group and entry names, so a read costs a
// hash lookup whatever the size of the file.  Where a name occurs twice the
// first occurrence counts; the entries of a group are those of its first
// block of lines.
#ifndef QX_APP_INI_DOCUMENT_H
#define QX_APP_INI_DOCUMENT_H

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qx::app {

class IniDocument {
 public:
  using Entry = std::pair<std::u16string, std::u16string>;  // name, value

  IniDocument() = default;
  // The document of a file's bytes.
  static IniDocument parse(std::string_view bytes);
  // The bytes of the file.
  std::string text() const;

  // Group names in file order (each name once, first spelling).
  const std::vector<std::u16string>& groups() const;
  bool has_group(std::u16string_view group) const;
  // The entries of a group in file order (lines without a name left out).
  std::vector<Entry> entries(std::u16string_view group) const;
  // The value of an entry (trailing blanks kept), or nullopt.
  std::optional<std::u16string> value(std::u16string_view group, std::u16string_view name) const;

  // Changes; each answers whether it was done.  modified() tells whether
  // any line changed since the last mark_saved().
  bool add_group(std::u16string_view group);     // false when it exists
  bool remove_group(std::u16string_view group);  // every block of it; false when absent
  // Replaces the value of the entry, or adds the entry (and the group).
  // False for a group or name that would not read back as itself.
  bool set_value(std::u16string_view group, std::u16string_view name, std::u16string_view value);
  // Adds an entry even when the name exists already.
  bool add_entry(std::u16string_view group, std::u16string_view name, std::u16string_view value);
  // Removes every entry of the group's first block, keeping its header and
  // comments; false when the group is absent.
  bool clear_group(std::u16string_view group);

  bool modified() const { return modified_; }
  void mark_saved() { modified_ = false; }

 private:
  enum class Kind { kOther, kHeader, kEntry };
  struct Line {
    Kind kind = Kind::kOther;
    std::string bytes;      // the line as in the file, without its end
    std::string end;        // "\n", "\r\n", or "" for a last line without one
    std::u16string name;    // group name (header) or entry name
    std::u16string value;   // entry value
  };
  // Where the lines of one name are, once looked up.
  struct Index {
    std::vector<std::u16string> groups;
    std::unordered_map<std::u16string, size_t> headers;  // folded group -> header line
    std::unordered_map<std::u16string, size_t> entries;  // folded group '\n' name -> line
  };

  Line make_line(std::u16string text) const;
  void classify(Line* line, std::u16string_view text) const;
  std::u16string decode(std::string_view bytes) const;
  std::string encode(std::u16string_view text) const;

  const Index& index() const;
  void changed();  // after any edit: the index is rebuilt on next use
  size_t find_header(std::u16string_view group) const;  // npos when absent
  // One past the last entry of the group whose header is at `header` (its
  // trailing comments and blank lines stay with what follows).
  size_t entries_end(size_t header) const;
  size_t block_end(size_t header) const;  // the next header, or the end
  void insert(size_t at, Line line);
  void append(Line line);

  std::vector<Line> lines_;
  bool byte_order_mark_ = false;
  bool utf8_ = true;
  std::string eol_ = "\n";
  bool modified_ = false;
  mutable std::optional<Index> index_;
};

}  // namespace qx::app

#endif  // QX_APP_INI_DOCUMENT_H
