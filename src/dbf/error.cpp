#include "dbf/error.h"

#include <cstring>

#include "dbf/engine.h"
#include "port/alert.h"
#include "port/wstr.h"

namespace qx::dbf {

namespace {

struct ErrorEntry {
  int code;
  const char* text;
};

// In the order of the engine's own table.
constexpr ErrorEntry kErrorTable[] = {
    {-20, "Creating File"},
    {-60, "Opening File"},
    {-70, "Reading File"},
    {-100, "Seeking to File Position"},
    {-120, "Writing to File"},
    {-10, "Closing File"},
    {-80, "Removing File"},
    {-50, "Locking File"},
    {-110, "Unlocking File"},
    {-30, "Determining File Length"},
    {-40, "Setting File Length"},
    {-90, "Renaming File"},
    {-200, "File is not a Data File"},
    {-230, "Record Length is too Large"},
    {-210, "Unrecognized Field Name"},
    {-220, "Unrecognized Field Type"},
    {-310, "Not a Correct Index File"},
    {-300, "Tag Entry Missing"},
    {-340, "Unique Key Error"},
    {-330, "Tag Name not Found"},
    {-400, "Comma or Bracket Expected"},
    {-410, "Expression not Complete"},
    {-420, "Data File Name not Located"},
    {-422, "IIF() Needs Parameters of Same Length"},
    {-425, "SUBSTR() and STR() need Constant Parameters"},
    {-430, "Number of Parameters is Wrong"},
    {-440, "Overflow while Evaluating Expression"},
    {-450, "Right Bracket Missing"},
    {-460, "Sub-expression Type is Wrong"},
    {-470, "Unrecognized Function"},
    {-480, "Unrecognized Operator"},
    {-490, "Unrecognized Value"},
    {-500, "Unterminated String"},
    {-610, "Optimization Error"},
    {-620, "Optimization Removal Failure"},
    {-630, "Optimization File Flushing Failure"},
    {-720, "Relation Error"},
    {-710, "Matching Slave Record Not Located"},
    {-810, "Report Error"},
    {-811, "Error Creating Style"},
    {-812, "Error Selecting Style"},
    {-813, "Error Finding Style"},
    {-814, "Error Creating Area"},
    {-815, "Error Creating Group"},
    {-816, "Error Setting Group Reset-Expression"},
    {-817, "Error Creating Total"},
    {-818, "Error Creating Object"},
    {-819, "Error In Windows Output"},
    {-820, "Error In Report Output"},
    {-821, "Error Saving Report"},
    {-822, "Error Retrieving Report"},
    {-823, "Error In Sending Report to Data File"},
    {-920, "Out of Memory"},
    {-910, "Unexpected Information"},
    {-930, "Unexpected Parameter"},
    {-950, "Unexpected Result"},
    {-1020, "Function unsupported: library built without memo support"},
    {-1040, "Function unsupported: library built without write support"},
    {-1010, "Function unsupported: library built without index support"},
    {-1030, "Function unsupported: library built without rename support"},
    {-1050, "Function unsupported: library built without Clipper index support"},
    {-1060, "Function unsupported: library built without a lock hook"},
    {-1070, "Function unsupported: library built without an error hook"},
};

constexpr size_t kMaxMessage = 256;
constexpr unsigned kStopIcon = 0x10;     // MB_ICONSTOP
constexpr unsigned kSystemModal = 0x1000;  // MB_SYSTEMMODAL

// Appends `line` and a line end when the message stays within the limit.
void append_line(std::string& message, const char* line) {
  if (!line) return;
  size_t len = std::strlen(line);
  if (message.size() + len + 1 > kMaxMessage) return;
  message.append(line, len);
  message += '\n';
}

std::string number_line(const char* lead, int code) {
  std::string line = lead;
  line += " #: ";
  line += fixed_width(code, 4);
  return line;
}

}  // namespace

const char* error_text(int code) {
  for (const ErrorEntry& e : kErrorTable)
    if (e.code == code) return e.text;
  return nullptr;
}

void fixed_width(char* out, long value, int width) {
  bool zeros = width < 0;
  size_t n = static_cast<size_t>(zeros ? -static_cast<long>(width) : width);
  if (n == 0) return;
  bool negative = value < 0;
  unsigned long magnitude =
      negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  char digits[32];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  size_t needed = count + (negative ? 1 : 0);
  if (needed > n) {
    std::memset(out, '*', n);
    return;
  }
  std::memset(out, zeros ? '0' : ' ', n);
  for (size_t i = 0; i < count; ++i) out[n - 1 - i] = digits[i];
  if (negative) out[zeros ? 0 : n - 1 - count] = '-';
}

std::string fixed_width(long value, int width) {
  std::string s(static_cast<size_t>(width < 0 ? -static_cast<long>(width) : width), ' ');
  if (!s.empty()) fixed_width(s.data(), value, width);
  return s;
}

std::string error_message(int code, const char* s1, const char* s2, const char* s3) {
  std::string message;
  append_line(message, number_line("Error", code).c_str());
  append_line(message, error_text(code));
  append_line(message, s1);
  append_line(message, s2);
  append_line(message, s3);
  return message;
}

int report_error(Engine* engine, int code, const char* s1, const char* s2, const char* s3) {
  engine->lastError = code;
  if (engine->quietErrors) return code;
  // The engine's texts are 8-bit; the narrow code page of this library is
  // ISO-8859-1, so the conversion for display is a plain widening.
  std::u16string text = port::widen(error_message(code, s1, s2, s3));
  unsigned flags = kStopIcon | (code == kErrMemory ? kSystemModal : 0u);
  if (port::alert(u"TABLE ENGINE ERROR", text, flags) == 0)
    port::fatal_exit(u"Memory Error", 1);
  return code;
}

void severe_error(Engine* engine, int code, const char* detail) {
  engine->lastError = code;
  std::string message = "\r\n\r\n" + number_line("Severe Error Number", code) + "\n";
  if (const char* t = error_text(code)) append_line(message, t);
  append_line(message, detail);
  std::u16string text = port::widen(message);
  port::alert(u"TABLE ENGINE SEVERE ERROR", text, kStopIcon);
  port::fatal_exit(text, 1);
}

void exit_check(Engine* engine) {
  if (engine->lastError < 0) port::fatal_exit(u"EXITING APPLICATION", 1);
}

}  // namespace qx::dbf
