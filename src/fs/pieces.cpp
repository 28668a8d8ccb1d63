// Splitting a file into numbered pieces and joining them again.  Piece n
// of "data.bin" is "data.n"; the last piece is empty when the length is a
// multiple of the piece size, so a joined file always ends at a short piece.
#include <algorithm>
#include <string>

#include "fs/names.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/memory.h"

namespace {

namespace port = qx::port;

constexpr size_t kBufferSize = 131072;
constexpr size_t kBlock = 65535;

std::u16string piece_name(const std::u16string& path, long n) {
  qx_wchar name[qx::fs::kPathRoom + 32];
  port::wcopy(name, qx::fs::kPathRoom + 1, path);
  qx_Fname_addExt(name, port::wformat(u"%ld", n).c_str());
  return name;
}

// The piece number the name itself carries (its extension written as a
// plain decimal number), or 0.
long own_piece_number(const std::u16string& path) {
  qx_wchar ext[qx::fs::kPathRoom + 1];
  int n = qx_Fname_extractExt(path.c_str(), ext);
  if (n == 0 || n > 9 || ext[0] == u'0') return 0;
  long value = 0;
  for (int i = 0; i < n; ++i) {
    if (!port::wisdigit(ext[i])) return 0;
    value = value * 10 + (ext[i] - u'0');
  }
  return value;
}

// Frees the transfer buffer when the call ends.
struct TransferBuffer {
  unsigned char* data = static_cast<unsigned char*>(qx_Malloc(kBufferSize));
  ~TransferBuffer() { qx_Free(data); }
};

// Whether the target could be opened for writing, found without opening
// it: an existing file must be writable, a new one needs its folder.
bool target_writable(const std::u16string& path) {
  if (port::stat_path(path, nullptr)) return port::access_path(path, 2);
  size_t cut = path.find_last_of(u"\\/");
  std::u16string folder = cut == std::u16string::npos ? u"." : path.substr(0, cut ? cut : 1);
  port::FileStatus status;
  return port::stat_path(folder, &status) && status.is_directory && port::access_path(folder, 2);
}

}  // namespace

extern "C" {

int qx_File_slice(const qx_wchar* path, int size) {
  auto p = qx::fs::path_arg(path);
  if (!p || size < 1) return 0;
  TransferBuffer buffer;
  if (!buffer.data) return 0;
  std::FILE* in = port::open_file(*p, "rb");
  if (!in) return 0;
  // An input named like one of its own pieces ("data.2") would be
  // overwritten while it is read.
  long own = own_piece_number(*p);
  if (own > 0 && own <= port::stream_length(in) / size + 1) {
    std::fclose(in);
    return 0;
  }

  long n = 1;
  std::FILE* out = port::open_file(piece_name(*p, n), "wb");
  if (!out) {
    std::fclose(in);
    return 0;
  }
  size_t filled = 0;
  for (;;) {
    size_t want = std::min(kBlock, static_cast<size_t>(size) - filled);
    size_t got = std::fread(buffer.data, 1, want, in);
    if (got == 0) break;
    if (std::fwrite(buffer.data, 1, got, out) != got) break;
    filled += got;
    if (filled == static_cast<size_t>(size)) {
      std::fclose(out);
      out = port::open_file(piece_name(*p, n + 1), "wb");
      if (!out) break;
      ++n;
      filled = 0;
    }
  }
  if (out) std::fclose(out);
  std::fclose(in);
  return static_cast<int>(n);
}

int qx_File_mend(const qx_wchar* path) {
  auto p = qx::fs::path_arg(path);
  if (!p) return 0;
  TransferBuffer buffer;
  if (!buffer.data) return 0;
  // Without a first piece there is nothing to join: the target is left as
  // it is, and the answer says whether it could have been written.  A
  // target that is itself one of the pieces is refused.
  long own = own_piece_number(*p);
  long first_missing = 1;
  while (port::stat_path(piece_name(*p, first_missing), nullptr)) ++first_missing;
  if (first_missing == 1) return target_writable(*p) ? 1 : 0;
  if (own > 0 && own < first_missing) return 0;

  std::FILE* out = port::open_file(*p, "wb");
  if (!out) return 0;
  long n = 1;
  for (;; ++n) {
    std::u16string name = piece_name(*p, n);
    std::FILE* in = port::open_file(name, "rb");
    if (!in) break;
    bool written = true;
    for (size_t got; written && (got = std::fread(buffer.data, 1, kBlock, in)) > 0;)
      written = std::fwrite(buffer.data, 1, got, out) == got;
    bool complete = written && !std::ferror(in) && std::fflush(out) == 0;
    std::fclose(in);
    // A piece is deleted only once its bytes are safely in the target.
    if (!complete) break;
    port::remove_file(name);
  }
  std::fclose(out);
  return static_cast<int>(n);
}

}  // extern "C"
