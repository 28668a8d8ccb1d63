// The translator of the built-in application component.  It reads its texts
// from the message catalogue "qx_messages.txt" in the configuration
// directory: UTF-8 lines "KEY=text", where '#' or ';' starts a comment line
// and "\n", "\t" and "\\" in a text stand for a line feed, a tab and a
// backslash.  A key the catalogue does not hold gives an empty result (not
// translated).  A catalogue that exists but cannot be read makes Translate
// fail.
#ifndef QX_APP_TRANSLATOR_INTERNAL_H
#define QX_APP_TRANSLATOR_INTERNAL_H

#include <string>

#include "app/interfaces.h"

namespace qx::app {

constexpr char16_t kCatalogueName[] = u"qx_messages.txt";

// A new translator reading the catalogue in `config_dir` (one reference).
ITranslator* create_translator(const std::u16string& config_dir);

}  // namespace qx::app

#endif  // QX_APP_TRANSLATOR_INTERNAL_H
