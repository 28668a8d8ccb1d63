// The CSV of qx dbf export and qx dbf import: RFC 4180 (fields with a comma,
// a quote or a line break are quoted, quotes doubled; lines end in CRLF, LF
// is read too), UTF-8, with a header line of field names.
#ifndef QX_TOOL_DBF_CSV_H
#define QX_TOOL_DBF_CSV_H

#include <string>
#include <utility>
#include <vector>

namespace qxtool {

// Writes one row to standard output.
void print_csv_row(const std::vector<std::string>& values);

// Reads RFC 4180 rows one by one, counting lines so that a bad row can be
// named by the line it starts on.
class CsvReader {
 public:
  explicit CsvReader(std::string text) : text_(std::move(text)) {}

  // False at the end of the text, or (with `error_` set) on a quote that
  // does not close.
  bool next(std::vector<std::string>* row);

  long start_line() const { return start_line_; }
  const std::string& error() const { return error_; }

 private:
  std::string text_;
  size_t at_ = 0;
  long line_ = 1;
  long start_line_ = 1;
  std::string error_;
};

}  // namespace qxtool

#endif  // QX_TOOL_DBF_CSV_H
