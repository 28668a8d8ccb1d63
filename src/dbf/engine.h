// The table engine's context: its settings, its error state and the tables
// open under it.  One context serves the library's table API; a second,
// private one may be used while indexes are built.  The engine knows nothing
// of the API above it; all text that crosses its interface is 8-bit.
//
// Result codes used throughout the engine: 0 success, 3 end of file, 4
// beginning of file, 5 a record that could not be read in full (quietly),
// 20 a unique-key conflict, 50 locked (the lock attempts ran out), 60 and 70
// a file not created / not opened (quietly); negative numbers are errors
// (see error.h), and -1 also answers a call on a context already in error.
#ifndef QX_DBF_ENGINE_H
#define QX_DBF_ENGINE_H

#include <list>
#include <memory>
#include <string>

namespace qx::dbf {

struct Table;

constexpr int kSuccess = 0;
constexpr int kEof = 3;
constexpr int kBof = 4;
constexpr int kShortRead = 5;
constexpr int kUnique = 20;
constexpr int kUniqueContinue = 25;
constexpr int kLocked = 50;
constexpr int kNoCreate = 60;
constexpr int kNoOpen = 70;

struct Engine {
  // Last error number (negative) or non-error result (positive).
  int lastError = 0;
  // On: errors only set lastError; no message box.
  int quietErrors = 0;
  // Off: a file that cannot be created sets lastError = 60 silently.
  int reportCreateFailure = 1;
  // Off: a file that cannot be opened sets lastError = 70 silently.
  int reportOpenFailure = 1;
  // Off: an unknown field name gives null without error -210.
  int reportFieldNameFailure = 1;
  // Off: expression errors set the error number without a message.
  int reportExpressionFailure = 1;
  // Off: a record that cannot be read in full gives 5 without error -70.
  int reportReadFailure = 1;
  // Off: a skip from no valid record gives -1 without error -910.
  int reportSkipFailure = 1;
  // Off: a query step that finds no matching record gives 90 without -710.
  int reportRelationFailure = 1;
  // Off: an unknown tag name gives null without error -330.
  int reportTagNameFailure = 1;
  // On: opening a table whose header names a production index opens it too.
  int autoOpenProductionIndex = 1;
  // On: files are created only when they do not exist yet.
  int refuseOverwrite = 1;
  // On: files are opened without sharing.
  int exclusiveAccess = 0;
  // 1: files are opened for reading only.
  int readOnlyAccess = 0;
  // Lock attempts: -1 retries without end, 0 counts as 1.
  int lockRetries = -1;
  // What a unique tag does with a duplicate key when the tag itself does not
  // say (a tag opened from a file keeps only its unique flag): 25 leaves the
  // duplicate out of the tag, 20 refuses the record, -340 is an error, 0
  // lets duplicates in.  The table API sets it to 0.
  int uniqueDefault = kUniqueContinue;
  // The file an open of a table failed on when it was not the data file
  // itself (its memo file); empty otherwise.  For messages that name it.
  std::string failedFile;
  // Picture of the date functions of the expression language (at most 20).
  std::string dateFormat = "MM/DD/YY";

  // Sizes of the working memory: record blocks of the table list, the sort
  // pool and its buffers of index building, the read and write buffers of
  // pack (tried smaller in steps of 2048 when memory is short), memo blocks
  // and expression work areas.
  unsigned memStartBlock = 1024;
  unsigned memSortPool = 61440;
  unsigned memSortBuffer = 4096;
  unsigned memBuffer = 16384;
  unsigned memMemo = 512;
  unsigned memExpression = 1024;

  // The tables open under this context, in the order they were opened.
  std::list<std::unique_ptr<Table>> tables;
  // The shared buffer of fldString (valid until the next call).
  std::string field_buffer;
  bool initialised = false;

  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
};

// All settings to their defaults.
void engInit(Engine* engine);
// Closes every table and releases the working memory.
void engShutdown(Engine* engine);
// Closes every open table; 0 or the first error met.
int engCloseAll(Engine* engine);

}  // namespace qx::dbf

#endif  // QX_DBF_ENGINE_H
