// Helpers of the table engine's tests: a recorder for the error boxes, and
// a few tables made on the spot.
#ifndef QX_TESTS_DBF_SUPPORT_H
#define QX_TESTS_DBF_SUPPORT_H

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dbf/engine.h"
#include "dbf/table_internal.h"
#include "port/alert.h"
#include "port/wstr.h"
#include "test_support.h"

namespace qxtest {

// Collects every alert shown while it lives (as UTF-8 "caption|text").
class AlertRecorder {
 public:
  AlertRecorder() { previous_ = qx::port::set_alert_sink(&AlertRecorder::sink, this); }
  ~AlertRecorder() { qx::port::set_alert_sink(previous_, nullptr); }
  AlertRecorder(const AlertRecorder&) = delete;
  AlertRecorder& operator=(const AlertRecorder&) = delete;

  const std::vector<std::string>& shown() const { return shown_; }
  std::vector<unsigned> flags;

 private:
  static int sink(const qx::port::Alert& a, void* self) {
    auto* r = static_cast<AlertRecorder*>(self);
    r->shown_.push_back(qx::port::to_utf8(a.caption) + "|" + qx::port::to_utf8(a.text));
    r->flags.push_back(a.flags);
    return 1;
  }
  qx::port::AlertSink previous_ = nullptr;
  std::vector<std::string> shown_;
};

// The fields NAME C(20), QTY N(8,2), DUE D, OK L.
inline const qx::dbf::FieldInfo* sampleFields() {
  static const qx::dbf::FieldInfo fields[] = {
      {"name", 'C', 20, 0}, {"QTY", 'N', 8, 2}, {"DUE", 'D', 8, 0}, {"OK", 'L', 1, 0},
      {nullptr, 0, 0, 0}};
  return fields;
}

// Appends one record with the given NAME and QTY.
inline int appendSample(qx::dbf::Table* t, const char* name, double qty) {
  using namespace qx::dbf;
  int rc = dbfAppendStart(t, 0);
  if (rc) return rc;
  dbfBlank(t);
  fldAssign(dbfFieldByName(t, "NAME"), name);
  fldAssignDouble(dbfFieldByName(t, "QTY"), qty);
  return dbfAppend(t);
}

// Starts a child process that opens `path` shared, runs `work(t, c)` on it
// and ends with status 0 when the work counted no failure; its pid.
template <class Work>
pid_t startWorker(const std::string& path, int c, Work work) {
  pid_t pid = ::fork();
  if (pid == 0) {
    qx::dbf::Engine e;
    e.quietErrors = 1;
    qx::dbf::Table* t = qx::dbf::dbfOpen(&e, path.c_str());
    int failures = t ? work(t, c) : 1;
    if (t) qx::dbf::dbfClose(t);
    ::_exit(failures ? 1 : 0);
  }
  return pid;
}

// Runs `work(t, c)` for c = 0 .. count - 1 in as many worker processes at
// once (startWorker); true when every one ended without a failure.
template <class Work>
bool workInChildren(int count, const std::string& path, Work work) {
  std::vector<pid_t> children;
  for (int c = 0; c < count; ++c) children.push_back(startWorker(path, c, work));
  bool all = true;
  for (pid_t pid : children) {
    int status = 0;
    all = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && all;
  }
  return all;
}

// The trimmed text of a field of the current record.
inline std::string fieldText(qx::dbf::Table* t, const char* name) {
  std::string s = qx::dbf::fldString(qx::dbf::dbfFieldByName(t, name));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace qxtest

#endif  // QX_TESTS_DBF_SUPPORT_H
