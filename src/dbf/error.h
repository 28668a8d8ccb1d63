// The engine's error numbers and the one routine through which every error
// is reported: it records the number in the context and, unless errors are
// quiet, shows the "TABLE ENGINE ERROR" box through the alert sink.
#ifndef QX_DBF_ERROR_H
#define QX_DBF_ERROR_H

#include <string>

namespace qx::dbf {

struct Engine;

// Error numbers (all negative).
enum : int {
  kErrCreate = -20,
  kErrOpen = -60,
  kErrRead = -70,
  kErrSeek = -100,
  kErrWrite = -120,
  kErrClose = -10,
  kErrRemove = -80,
  kErrLock = -50,
  kErrUnlock = -110,
  kErrLength = -30,
  kErrLengthSet = -40,
  kErrRename = -90,
  kErrData = -200,
  kErrRecordLength = -230,
  kErrFieldName = -210,
  kErrFieldType = -220,
  kErrIndex = -310,
  kErrTagMissing = -300,
  kErrUnique = -340,
  kErrTagName = -330,
  kErrRelate = -710,
  kErrMemory = -920,
  kErrInfo = -910,
  kErrParameter = -930,
  kErrResult = -950,
  kErrNoIndexSupport = -1010,
  kErrNoMemoSupport = -1020,
  kErrNoWriteSupport = -1040,
};

// The table text of an error number, or null when the table has none.
const char* error_text(int code);

// Writes `value` right-aligned into `width` characters of `out` (no
// terminator).  A positive width puts blanks before the first digit and the
// minus sign just before it; a negative width pads with zeros instead.  A
// value that does not fit fills the field with asterisks.
void fixed_width(char* out, long value, int width);
std::string fixed_width(long value, int width);

// The message of the error box: "Error #: " with the number in four
// characters, the table text and each further text, a line each, as long
// as the message stays within 256 characters.
std::string error_message(int code, const char* s1, const char* s2, const char* s3);

// Records `code` as the context's last error and shows the error box unless
// errors are quiet.  Returns `code`.
int report_error(Engine* engine, int code, const char* s1 = nullptr, const char* s2 = nullptr,
                const char* s3 = nullptr);

// The engine found its own data inconsistent: shows the severe error box
// and ends the process.
[[noreturn]] void severe_error(Engine* engine, int code, const char* detail);

// Ends the process with "EXITING APPLICATION" when the context is in error.
void exit_check(Engine* engine);

// True when lastError is negative: opens, creates and reads refuse to work.
inline bool in_error(const Engine* engine);

}  // namespace qx::dbf

#include "dbf/engine.h"

namespace qx::dbf {
inline bool in_error(const Engine* engine) { return engine->lastError < 0; }
}  // namespace qx::dbf

#endif  // QX_DBF_ERROR_H
