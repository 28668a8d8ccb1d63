// Starting programs: qx_Sys_createProcess and opening a file in a text
// editor.  The command line keeps its Windows form ("program arguments",
// quotes grouping) and is split and started by the process stand-in.
#include <string>

#include "port/environment.h"
#include "port/path.h"
#include "port/process.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/global.h"
#include "qx/msg.h"
#include "qx/sys.h"

namespace {

// What the shell's "open" answers: above 32 when the program started.
constexpr int kShellStarted = 42;
constexpr int kShellFileNotFound = 2;

// Appends `text` to the error buffer as far as its length allows.
void append_bounded(qx_wchar* buffer, int length, const std::u16string& text) {
  if (length <= 0) return;
  qx::port::wappend(buffer, static_cast<size_t>(length), text.c_str());
}

void report(qx_wchar* buffer, int length, const char* text, const char* key,
            const qx_wchar* program, int error) {
  if (!buffer || error == 0) return;
  std::u16string message = qx::port::wstring_of(qx_Msg(text, key, 5));
  append_bounded(buffer, length, message);
  append_bounded(buffer, length, qx::port::wstring_of(program));
  append_bounded(buffer, length, qx::port::error_text(error));
}

}  // namespace

extern "C" {

int qx_Sys_createProcess(const qx_wchar* program, const qx_wchar* arguments, int wait,
                         qx_wchar* error, int error_length) {
  if (error && error_length > 0) error[0] = 0;
  std::u16string line = qx::port::wstring_of(program);
  if (arguments) {  // appended in two steps: " " + text makes gcc 12 warn (-Wrestrict)
    line += u' ';
    line += qx::port::wstring_of(arguments);
  }
  qx::port::SpawnResult started = qx::port::spawn_command_line(line, wait != 0);
  if (!started.started) {
    report(error, error_length, "Unable to start the new process:", "TOOL", program,
           started.error);
    return 0;
  }
  return 1;
}

int qx_Global_openFileinNotepad(const qx_wchar* path) {
  if (!qx_File_exists(path)) return 0;
  // The text editor of this system: QX_TEXT_EDITOR, else the desktop's opener.
  std::u16string editor =
      qx::port::environment_value(u"QX_TEXT_EDITOR").value_or(u"xdg-open");
  std::u16string file = qx::port::from_utf8(qx::port::native_path(path));
  return qx::port::spawn_arguments({editor, file}, false).started ? kShellStarted
                                                                   : kShellFileNotFound;
}

}  // extern "C"
