// The INI line rules, shared by the settings service's documents and the
// library's direct reading and rewriting of groups:
//  - blanks are the C locale's white space;
//  - a header is a line whose first non-blank character is '['; its group
//    name runs to the first ']' (or the end of the line), trimmed;
//  - a comment is a line whose first non-blank character is ';';
//  - an entry skips leading spaces, takes the name up to the first '='
//    (trimmed), skips every space and '=' after it, and takes the rest as
//    the value; a line without '=' is a name with an empty value.
#ifndef QX_APP_INI_LINE_H
#define QX_APP_INI_LINE_H

#include <optional>
#include <string_view>

namespace qx::app {

bool ini_is_blank(char16_t c);
std::u16string_view trim_leading_blanks(std::u16string_view text);
std::u16string_view trim_blanks(std::u16string_view text);

// Empty once leading blanks are removed.
bool ini_is_empty_line(std::u16string_view line);
bool ini_is_comment(std::u16string_view line);
// The group name of a header line; nullopt for any other line.
std::optional<std::u16string_view> ini_header_name(std::u16string_view line);

struct IniEntryText {
  std::u16string_view name;   // trimmed
  std::u16string_view value;  // after the skipped spaces and '='; see below
};
// Splits an entry line.  The value keeps its trailing blanks; callers that
// follow the documented rule trim them (trim_blanks).
IniEntryText ini_split_entry(std::u16string_view line);

// Whether a header "[group]" and an entry "name=value" read back as the
// group and the name they were written for, on one line each: no line
// breaks, no ']' in a group, no '=' in a name, no blanks round either, and
// a name that does not look like a header or a comment.
bool ini_group_writable(std::u16string_view group);
bool ini_entry_writable(std::u16string_view name, std::u16string_view value);

}  // namespace qx::app

#endif  // QX_APP_INI_LINE_H
