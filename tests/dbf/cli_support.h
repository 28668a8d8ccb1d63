// Running the qx program's table commands from a test: `qx dbf ARGS` in a
// shell, with what it printed on both streams and its exit status.
#ifndef QX_TESTS_DBF_CLI_SUPPORT_H
#define QX_TESTS_DBF_CLI_SUPPORT_H

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace qxtest {

struct ToolRun {
  int status;
  std::string out;  // standard output (and standard error, when asked)
};

// Runs a shell command and collects what it prints on standard output.
inline ToolRun run_shell(const std::string& cmd) {
  FILE* p = ::popen(cmd.c_str(), "r");
  ToolRun r{-1, {}};
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// `qx dbf ARGS`; `args` is shell text: quote file names that may hold
// blanks.  Standard error goes with standard output unless left out.
inline ToolRun qx_dbf(const std::string& args, bool with_errors = true) {
  return run_shell(std::string("'") + QX_TOOL_PATH + "' dbf " + args +
                   (with_errors ? " 2>&1" : " 2>/dev/null"));
}

// The fixture of the command-line tests: a fresh folder, and every test
// skipped when the program is not built.  A fixture that sets up more calls
// this SetUp() first and stops when IsSkipped().
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  }
  // A file of the folder, quoted for the shell.
  std::string quoted(const std::string& name) const { return "'" + dir.file(name) + "'"; }
  TempDir dir;
};

}  // namespace qxtest

#endif  // QX_TESTS_DBF_CLI_SUPPORT_H
