#include "dbf/memo.h"

#include <algorithm>
#include <vector>

#include "core/coding.h"
#include "dbf/engine.h"
#include "dbf/error.h"

namespace qx::dbf {

namespace {

// The memo file's allocation lock, at the offset the index files use.
constexpr uint64_t kAllocationLock = 0x7FFFFFFE;

constexpr char kDbtEnd = 0x1A;

// A dBASE III memo: the text from the block up to the first 0x1A.
int dbt_read(MemoFile& memo, long block, std::string& contents) {
  uint64_t offset = static_cast<uint64_t>(block) * kDbtBlockSize;
  char chunk[kDbtBlockSize];
  for (;;) {
    int64_t n = file_read(memo.file, offset, chunk, sizeof chunk);
    if (n < 0) {
      contents.clear();
      return static_cast<int>(n);
    }
    const char* end = std::find(chunk, chunk + n, kDbtEnd);
    contents.append(static_cast<const char*>(chunk), end);
    if (end != chunk + n || n < static_cast<int64_t>(sizeof chunk)) return 0;
    offset += sizeof chunk;
  }
}

// Writes `image` (whole blocks) after the memo file's last block, under the
// allocation lock, and moves the header's next free block past it; the
// first block's number in *block.  New blocks start at the end of the file
// (and not before `first_free`), whatever the header's next free block
// says: a header that points into used blocks would have them overwritten,
// one that points past the end would leave a hole.
int append_blocks(MemoFile& memo, unsigned block_size, uint64_t first_free,
                  const std::vector<char>& image, bool big_endian_header, long* block) {
  int rc = file_lock(memo.file, kAllocationLock, 1);
  if (rc != 0) return rc;
  int64_t length = file_length(memo.file);
  uint64_t next =
      std::max<uint64_t>((static_cast<uint64_t>(length) + block_size - 1) / block_size, first_free);
  uint64_t blocks = image.size() / block_size;
  if (next + blocks > 0xFFFFFFFFu)
    rc = report_error(memo.file.engine, kErrWrite, memo.file.name.c_str());
  if (rc == 0) rc = file_write(memo.file, next * block_size, image.data(), image.size());
  if (rc == 0) {
    unsigned char header[4];
    auto end = static_cast<uint32_t>(next + blocks);
    if (big_endian_header)
      coding::put32be(header, end);
    else
      coding::put32le(header, end);
    rc = file_write(memo.file, 0, header, sizeof header);
  }
  int unlockRc = file_unlock(memo.file, kAllocationLock, 1);
  if (rc == 0) rc = unlockRc;
  if (rc == 0) *block = static_cast<long>(next);
  return rc;
}

// Appends a dBASE III memo (the text and two 0x1A) after the last block.
int dbt_write(MemoFile& memo, const std::string& contents, long* block) {
  if (contents.find(kDbtEnd) != std::string::npos)
    return report_error(memo.file.engine, kErrParameter, "The byte 0x1A ends a memo in a DBT file",
                        memo.file.name.c_str());
  uint64_t blocks = (contents.size() + 2 + kDbtBlockSize - 1) / kDbtBlockSize;
  std::vector<char> image(static_cast<size_t>(blocks * kDbtBlockSize), 0);
  std::copy(contents.begin(), contents.end(), image.begin());
  image[contents.size()] = image[contents.size() + 1] = kDbtEnd;
  return append_blocks(memo, kDbtBlockSize, 1, image, false, block);
}

}  // namespace

int memo_create(Engine* engine, MemoFile& memo, const std::string& name) {
  int rc = file_create(engine, memo.file, name);
  if (rc != 0) return rc;
  unsigned char header[kMemoHeaderSize] = {};
  memo.block_size = kMemoBlockSize;
  coding::put32be(header, kMemoHeaderSize / kMemoBlockSize);
  coding::put16be(header + 6, kMemoBlockSize);
  return file_write(memo.file, 0, header, sizeof header);
}

int memo_open(Engine* engine, MemoFile& memo, const std::string& name) {
  int rc = file_open(engine, memo.file, name);
  if (rc != 0) return rc;
  unsigned char header[8];
  if (memo.dbt) {
    memo.block_size = kDbtBlockSize;
    return file_read_all(memo.file, 0, header, 4);
  }
  rc = file_read_all(memo.file, 0, header, sizeof header);
  if (rc != 0) return rc;
  unsigned size = coding::get16be(header + 6);
  memo.block_size = size ? size : 1;  // a block size of 0 means single bytes
  return 0;
}

int memo_read(MemoFile& memo, long block, std::string& contents) {
  contents.clear();
  if (block <= 0) return 0;
  if (memo.dbt) return dbt_read(memo, block, contents);
  uint64_t offset = static_cast<uint64_t>(block) * memo.block_size;
  unsigned char head[8];
  int64_t n = file_read(memo.file, offset, head, sizeof head);
  if (n < 0) return static_cast<int>(n);
  if (n < 8) return 0;  // a block number past the end: no contents
  uint64_t length = coding::get32be(head + 4);
  int64_t fileSize = file_length(memo.file);
  uint64_t available = fileSize > static_cast<int64_t>(offset + 8) ? fileSize - (offset + 8) : 0;
  length = std::min(length, available);
  contents.resize(static_cast<size_t>(length));
  if (length == 0) return 0;
  n = file_read(memo.file, offset + 8, contents.data(), contents.size());
  if (n < 0) {
    contents.clear();
    return static_cast<int>(n);
  }
  contents.resize(static_cast<size_t>(n));
  return 0;
}

int memo_write(MemoFile& memo, const std::string& contents, long* block) {
  *block = 0;
  if (contents.empty()) return 0;
  if (memo.dbt) return dbt_write(memo, contents, block);
  if (contents.size() > 0xFFFFFFF0u)
    return report_error(memo.file.engine, kErrParameter, "Memo too large");
  uint64_t blocks = (8 + contents.size() + memo.block_size - 1) / memo.block_size;
  std::vector<char> image(static_cast<size_t>(blocks * memo.block_size), 0);
  coding::put32be(reinterpret_cast<unsigned char*>(image.data()), 1);  // text
  coding::put32be(reinterpret_cast<unsigned char*>(image.data()) + 4,
                  static_cast<uint32_t>(contents.size()));
  std::copy(contents.begin(), contents.end(), image.begin() + 8);
  uint64_t first_free = (kMemoHeaderSize + memo.block_size - 1) / memo.block_size;
  return append_blocks(memo, memo.block_size, first_free, image, true, block);
}

int memo_close(MemoFile& memo) { return file_close(memo.file); }

}  // namespace qx::dbf
