// A temporary folder for one benchmark program's files, removed with all it
// holds when the program ends.
#ifndef QX_BENCH_BENCH_FOLDER_H
#define QX_BENCH_BENCH_FOLDER_H

#include <string>

#include "port/native_file.h"

class BenchFolder {
 public:
  // A new folder named qx-bench-<name>-XXXXXX in the system's temporary folder.
  explicit BenchFolder(const char* name)
      : path_(qx::port::make_temp_directory("qx-bench-" + std::string(name) + "-")) {}
  ~BenchFolder() { qx::port::remove_tree(path_); }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

#endif  // QX_BENCH_BENCH_FOLDER_H
