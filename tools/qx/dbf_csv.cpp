// Writing CSV rows (the reader is in the header).
#include "dbf_csv.h"

#include <cstdio>

namespace qxtool {

namespace {

std::string csv_quoted(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

void print_csv_row(const std::vector<std::string>& values) {
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + csv_quoted(values[i]);
  line += "\r\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

bool CsvReader::next(std::vector<std::string>* row) {
  row->clear();
  if (at_ >= text_.size()) return false;
  start_line_ = line_;
  std::string value;
  bool quoted = false;
  while (at_ < text_.size()) {
    char c = text_[at_++];
    if (quoted) {
      if (c == '"' && at_ < text_.size() && text_[at_] == '"') value += text_[at_++];
      else if (c == '"') quoted = false;
      else value += c, line_ += c == '\n';
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row->push_back(value), value.clear();
    } else if (c == '\n' || (c == '\r' && at_ < text_.size() && text_[at_] == '\n')) {
      if (c == '\r') ++at_;
      ++line_;
      break;
    } else {
      value += c;
    }
  }
  if (quoted) error_ = "a quoted value does not end";
  row->push_back(value);
  return error_.empty();
}

}  // namespace qxtool
