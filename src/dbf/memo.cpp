#include "dbf/memo.h"

#include <algorithm>
#include <vector>

#include "dbf/engine.h"
#include "dbf/error.h"

namespace qx::dbf {

namespace {

// The memo file's allocation lock, at the offset the index files use.
constexpr uint64_t kAllocationLock = 0x7FFFFFFE;

uint32_t getBig32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void putBig32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

}  // namespace

int memoCreate(Engine* engine, MemoFile& memo, const std::string& name) {
  int rc = fileCreate(engine, memo.file, name);
  if (rc != 0) return rc;
  unsigned char header[kMemoHeaderSize] = {};
  memo.blockSize = kMemoBlockSize;
  putBig32(header, kMemoHeaderSize / kMemoBlockSize);
  header[6] = static_cast<unsigned char>(kMemoBlockSize >> 8);
  header[7] = static_cast<unsigned char>(kMemoBlockSize & 0xFF);
  return fileWrite(memo.file, 0, header, sizeof header);
}

int memoOpen(Engine* engine, MemoFile& memo, const std::string& name) {
  int rc = fileOpen(engine, memo.file, name);
  if (rc != 0) return rc;
  unsigned char header[8];
  rc = fileReadAll(memo.file, 0, header, sizeof header);
  if (rc != 0) return rc;
  unsigned size = (unsigned{header[6]} << 8) | header[7];
  memo.blockSize = size ? size : 1;  // a block size of 0 means single bytes
  return 0;
}

int memoRead(MemoFile& memo, long block, std::string& contents) {
  contents.clear();
  if (block <= 0) return 0;
  uint64_t offset = static_cast<uint64_t>(block) * memo.blockSize;
  unsigned char head[8];
  int64_t n = fileRead(memo.file, offset, head, sizeof head);
  if (n < 0) return static_cast<int>(n);
  if (n < 8) return 0;  // a block number past the end: no contents
  uint64_t length = getBig32(head + 4);
  int64_t fileSize = fileLength(memo.file);
  uint64_t available = fileSize > static_cast<int64_t>(offset + 8) ? fileSize - (offset + 8) : 0;
  length = std::min(length, available);
  contents.resize(static_cast<size_t>(length));
  if (length == 0) return 0;
  n = fileRead(memo.file, offset + 8, contents.data(), contents.size());
  if (n < 0) {
    contents.clear();
    return static_cast<int>(n);
  }
  contents.resize(static_cast<size_t>(n));
  return 0;
}

int memoWrite(MemoFile& memo, const std::string& contents, long* block) {
  *block = 0;
  if (contents.empty()) return 0;
  if (contents.size() > 0xFFFFFFF0u)
    return reportError(memo.file.engine, kErrParameter, "Memo too large");
  int rc = fileLock(memo.file, kAllocationLock, 1);
  if (rc != 0) return rc;
  // New blocks start at the end of the file, whatever the header's next
  // free block says: a header that points into used blocks would have them
  // overwritten, one that points past the end would leave a hole.
  unsigned char header[4] = {};
  int64_t length = fileLength(memo.file);
  uint64_t next = (static_cast<uint64_t>(length) + memo.blockSize - 1) / memo.blockSize;
  uint64_t first = (kMemoHeaderSize + memo.blockSize - 1) / memo.blockSize;
  if (next < first) next = first;
  uint64_t bytes = 8 + contents.size();
  uint64_t blocks = (bytes + memo.blockSize - 1) / memo.blockSize;
  if (rc == 0 && next + blocks > 0xFFFFFFFFu)
    rc = reportError(memo.file.engine, kErrWrite, memo.file.name.c_str());
  if (rc == 0) {
    std::vector<unsigned char> data(static_cast<size_t>(blocks * memo.blockSize), 0);
    putBig32(data.data(), 1);  // text
    putBig32(data.data() + 4, static_cast<uint32_t>(contents.size()));
    std::copy(contents.begin(), contents.end(), data.begin() + 8);
    rc = fileWrite(memo.file, next * memo.blockSize, data.data(), data.size());
  }
  if (rc == 0) {
    putBig32(header, static_cast<uint32_t>(next + blocks));
    rc = fileWrite(memo.file, 0, header, sizeof header);
  }
  int unlockRc = fileUnlock(memo.file, kAllocationLock, 1);
  if (rc == 0) rc = unlockRc;
  if (rc == 0) *block = static_cast<long>(next);
  return rc;
}

int memoClose(MemoFile& memo) { return fileClose(memo.file); }

}  // namespace qx::dbf
