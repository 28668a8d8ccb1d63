// %name% references in configuration values.  Two expansions exist and they
// differ on purpose:
//  - alias expansion (values read from INI files): an unknown reference stays
//    as written, "%%" vanishes, an unclosed reference is dropped;
//  - variable expansion (qx_Env_expandStr): a reference is looked up in the
//    session, then in qx.ini, then in the process environment; an unknown
//    reference vanishes and "%%" gives one '%'.
#ifndef QX_CONFIG_EXPAND_H
#define QX_CONFIG_EXPAND_H

#include <string>
#include <string_view>

namespace qx::config {

// Room of one alias name or value, as the alias table hands them out.
constexpr size_t kAliasRoom = 256;

// `text` with every %alias% reference replaced by the alias's text value.
std::u16string expand_aliases(std::u16string_view text);

// `text` with every %variable% reference replaced by its value from the
// session, qx.ini or the process environment.
std::u16string expand_variables(std::u16string_view text);

// The value of the variable `name` in the one lookup order (session, group
// "GENERAL" of qx.ini, process environment); empty when none has it.
std::u16string variable_value(std::u16string_view name);

}  // namespace qx::config

#endif  // QX_CONFIG_EXPAND_H
