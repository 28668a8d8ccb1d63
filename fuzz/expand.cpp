// Fuzz target for %name% expansion: alias expansion of INI values, variable
// expansion over the session and the environment, reading one reference at
// every '%', and ';' splitting.  The input is read as UTF-16.  A few
// aliases and session variables are set once, so references are found as
// well as missed.  Beyond crashes, it checks that both alias routes agree,
// that a text without '%' comes back unchanged, and that reading a
// reference always moves forward within the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/expand.h"
#include "qx/env.h"
#include "qx/strlist.h"

namespace {

// Values are at most 8 characters and a reference takes at least 3, so an
// alias expansion is shorter than three times its input.
constexpr size_t kGrowth = 3;

bool set_up() {
  qx_Alias_put(u"a", u"12345678");
  qx_Alias_put(u"ROOT", u"c:\\qv");
  qx_Alias_put(u"empty", u"");
  qx_Env_setSes(u"S", u"%a%");
  qx_Env_setSes(u"qv", u"x:\\");
  return true;
}

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = set_up();
  (void)ready;
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  text = text.substr(0, text.find(u'\0'));

  std::u16string aliases = qx::config::expand_aliases(text);
  if (text.find(u'%') == std::u16string::npos) check(aliases == text);
  std::vector<qx_wchar> out(kGrowth * text.size() + 1);
  check(qx_Alias_expandStr(out.data(), text.c_str()) == 0);
  check(aliases == out.data());

  qx_Env_expandStr(text.c_str());
  for (size_t at = text.find(u'%'); at != std::u16string::npos; at = text.find(u'%', at + 1)) {
    int position = static_cast<int>(at);
    qx_Env_expandVar(text.c_str(), &position);
    check(position > static_cast<int>(at) && position <= static_cast<int>(text.size()));
  }

  qx_StrList_destroy(qx_Env_split(text.c_str()));
  return 0;
}
