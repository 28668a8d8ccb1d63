// The memo file (FPT) of a table with M, G or B fields.  Its header page
// holds the next free block (big-endian, at 0) and the block size (big-
// endian, at 6); each memo is a run of blocks starting with its type and
// length (both big-endian) followed by its bytes.  The record holds the
// first block's number as text, or blanks for an empty memo.  New contents
// always go to fresh blocks at the end, so a memo that another process is
// reading is never overwritten under it; the header's next free block is
// kept up to date for other programs.
//
// dBASE III tables (version 0x83) keep their memos in a DBT file instead:
// blocks of 512 bytes, the next free block little-endian at 0, and each
// memo's text in blocks of its own, ended by the byte 0x1A (twice, as
// written).  Those memos carry no length; the text ends at the first 0x1A.
#ifndef QX_DBF_MEMO_H
#define QX_DBF_MEMO_H

#include <cstdint>
#include <string>

#include "dbf/file.h"

namespace qx::dbf {

struct Engine;

constexpr unsigned kMemoHeaderSize = 512;
constexpr unsigned kMemoBlockSize = 64;

constexpr unsigned kDbtBlockSize = 512;

struct MemoFile {
  File file;
  unsigned block_size = kMemoBlockSize;
  bool dbt = false;  // the dBASE III layout; set before memo_open
};

// One memo field of a table, with contents loaded or stored since the
// record was read.
struct MemoEntry {
  int field = -1;  // index into the table's fields
  std::string contents;
  bool loaded = false;   // contents hold the current record's memo
  bool changed = false;  // contents must be written with the record
};

// Creates an empty memo file; 0 or an error.
int memo_create(Engine* engine, MemoFile& memo, const std::string& name);
// Opens a memo file and reads its block size; 0 or an error.
int memo_open(Engine* engine, MemoFile& memo, const std::string& name);
// Reads the memo that starts at `block` (0 for none); 0 or an error.  A
// length that runs past the end of the file is cut to what is there.
int memo_read(MemoFile& memo, long block, std::string& contents);
// Writes `contents` to fresh blocks; `*block` gets the first block's number
// (0 for empty contents).  0 or an error.
int memo_write(MemoFile& memo, const std::string& contents, long* block);
int memo_close(MemoFile& memo);

}  // namespace qx::dbf

#endif  // QX_DBF_MEMO_H
