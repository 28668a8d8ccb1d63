// The diagnostics facility: a process-wide level, condition mask, output
// selector and log file, and the one routine that writes a line
// "<file> (<line>) <text>" to the console and/or the log file.
#include "qx/diag.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "qx/memory.h"
#include "qx/msg.h"
#include "core/owned_text.h"
#include "port/fs.h"
#include "port/wstr.h"

using qx::port::wstring;

extern "C" {
int16_t QX_DiagCurrentLevel = 0;
uint32_t QX_DiagCurrentCondition = 0;
int16_t QX_DiagCurrentOutput = 1;
qx_wchar* QX_DiagCurrentFileName = nullptr;
FILE* QX_DiagOutputStream = nullptr;
qx_wchar QX_DiagMsgBuf[QX_DIAG_MSGBUF_LEN + 1];
}

namespace {

constexpr qx_wchar kDefaultLogName[] = u"QX_DIAG.LOG";
constexpr size_t kMsgBufCap = QX_DIAG_MSGBUF_LEN + 1;

// The file-name part of a source path, lower-cased, as trace lines show it.
wstring display_name(const qx_wchar* source_path) {
  wstring path = qx::port::wstring_of(source_path);
  size_t cut = path.find_last_of(u"\\/:");
  wstring name = cut == wstring::npos ? path : path.substr(cut + 1);
  for (auto& c : name) c = qx::port::wtolower(c);
  return name;
}

void replace_file_name(const qx_wchar* path) {
  qx_Free(QX_DiagCurrentFileName);
  QX_DiagCurrentFileName = (path && *path) ? qx::wdup(path) : nullptr;
}

std::FILE* open_log(const char* mode) {
  if (!QX_DiagCurrentFileName) return nullptr;
  return qx::port::open_file(QX_DiagCurrentFileName, mode);
}

void report_open_failure() { std::perror("Failed to open the diagnostics output file\n"); }

std::string compose_line(const wstring& file, int line) {
  std::string text = qx::port::to_utf8(QX_DiagMsgBuf);
  return qx::port::to_utf8(file) + " (" + std::to_string(line) + ") " + text + "\n";
}

void append_to_log(const std::string& line) {
  QX_DiagOutputStream = open_log("a");
  if (!QX_DiagOutputStream) {
    report_open_failure();
    QX_DiagCurrentOutput = 1;  // later lines go to the console
    return;
  }
  std::fputs(line.c_str(), QX_DiagOutputStream);
  std::fclose(QX_DiagOutputStream);
}

}  // namespace

extern "C" {

int16_t qx_Diag_getLevel(void) { return QX_DiagCurrentLevel; }

int16_t qx_Diag_setLevel(int16_t level) {
  if (level < 0 || level > 3) return QX_DiagCurrentLevel;
  int16_t old = QX_DiagCurrentLevel;
  QX_DiagCurrentLevel = level;
  return old;
}

uint32_t qx_Diag_getCondition(void) { return QX_DiagCurrentCondition; }

uint32_t qx_Diag_setCondition(uint32_t mask) {
  uint32_t old = QX_DiagCurrentCondition;
  QX_DiagCurrentCondition = mask;
  return old;
}

void qx_Diag_disable(void) {
  QX_DiagCurrentLevel = 0;
  QX_DiagCurrentCondition = 0;
}

int qx_Diag_setOutput(int16_t selector, const qx_wchar* path) {
  if (selector == 0 || selector == 1) {
    QX_DiagCurrentOutput = selector;
    return 1;
  }
  if (selector != 2 && selector != 3) {
    QX_DiagCurrentOutput = 1;
    return 0;
  }
  if (path && *path) {
    replace_file_name(path);
  } else {
    replace_file_name(kDefaultLogName);
    wstring invalid = qx::port::wstring_of(qx_Msg(
        "qx_Diag_setOutput: Diagnostics log file name specified is invalid.", "TOOL_1084", 3));
    std::fputs(qx::port::to_utf8(invalid).c_str(), stdout);
    wstring defaulting = qx::port::wstring_of(qx_Msg("Defaulting to log file:", "TOOL_1085", 1));
    qx_wchar composed[QX_MAX_PATH];
    qx::port::wsnprintf(composed, QX_MAX_PATH, u"\n%s %s\n", defaulting.c_str(), QX_DiagCurrentFileName);
    std::fputs(qx::port::to_utf8(composed).c_str(), stdout);
    std::fflush(stdout);
  }
  std::FILE* f = open_log("w");
  if (!f) {
    report_open_failure();
    QX_DiagCurrentOutput = 1;
    return 0;
  }
  std::fclose(f);
  QX_DiagCurrentOutput = selector;
  return 1;
}

int16_t qx_Diag_getOutput(qx_wchar* path) {
  if (path) {
    path[0] = 0;
    if ((QX_DiagCurrentOutput == 2 || QX_DiagCurrentOutput == 3) && QX_DiagCurrentFileName)
      qx::port::wcpy(path, QX_DiagCurrentFileName);
  }
  return QX_DiagCurrentOutput;
}

int16_t qx_Diag_setDiagOutput(int16_t selector) {
  QX_DiagCurrentOutput = selector;
  return selector;
}

int16_t qx_Diag_getDiagOutput(void) { return QX_DiagCurrentOutput; }

void qx_Diag_setFileName(const qx_wchar* path) { replace_file_name(path); }

qx_wchar* qx_Diag_getFileName(void) { return QX_DiagCurrentFileName; }

FILE* qx_Diag_setOutputStream(FILE* stream) {
  QX_DiagOutputStream = stream;
  return stream;
}

FILE* qx_Diag_getOutputStream(void) { return QX_DiagOutputStream; }

qx_wchar* qx_Diag_getDiagMsgBuf(void) { return QX_DiagMsgBuf; }

void qx_Diag_putOutput(int length, const qx_wchar* /*text*/, const qx_wchar* source_path,
                       int line) {
  wstring file = display_name(source_path);
  if (length > QX_DIAG_MSGBUF_LEN && QX_DiagCurrentLevel >= 3 && QX_DiagCurrentCondition != 0) {
    int n = qx::port::wsnprintf(QX_DiagMsgBuf, kMsgBufCap,
                                u"Buffer size %d too big for diagnostics in %s at %d\n", length,
                                file.c_str(), line);
    wstring own = qx::port::widen(__FILE__);
    qx_Diag_putOutput(n, QX_DiagMsgBuf, own.c_str(), __LINE__);
  }
  QX_DiagMsgBuf[QX_DIAG_MSGBUF_LEN] = 0;  // a host may have written past the text
  std::string text = compose_line(file, line);
  if (QX_DiagCurrentOutput == 1 || QX_DiagCurrentOutput == 3) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
  }
  if (QX_DiagCurrentOutput == 2 || QX_DiagCurrentOutput == 3) append_to_log(text);
}

void qx_Diag_putOutputMsg(const qx_wchar* text, const qx_wchar* source_path, int line) {
  if (!text || !*text) return;
  qx::port::wcopy(QX_DiagMsgBuf, kMsgBufCap, text);
  qx_Diag_putOutput(static_cast<int>(qx::port::wlen(text)), QX_DiagMsgBuf, source_path, line);
}

}  // extern "C"
