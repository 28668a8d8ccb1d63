// Key forms of compound index tags and the computation of a record's key.
#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>

#include "core/coding.h"
#include "dbf/cdx_key_internal.h"
#include "dbf/expr.h"
#include "dbf/table_internal.h"

namespace qx::dbf::cdx {

namespace {

bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string trimmed_upper(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  std::string out = s.substr(b, e - b + 1);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The field a key text names when it is nothing but a field name.
const Field* plain_field(Table* table, const std::string& source) {
  std::string name = trimmed_upper(source);
  if (name.empty() || name.size() > 10 || !std::all_of(name.begin(), name.end(), is_name_char)) return nullptr;
  for (const Field& f : table->fields)
    if (name == f.name) return &f;
  return nullptr;
}

KeySource::Kind kind_of_field(char type) {
  switch (type) {
    case 'C': case 'L': return KeySource::kCharField;
    case 'N': case 'F': return KeySource::kNumberField;
    case 'D': return KeySource::kDateField;
    case 'I': return KeySource::kIntegerField;
    case 'B': return KeySource::kDoubleField;
    default: return KeySource::kUnsupported;
  }
}

}  // namespace

void numeric_key(double value, unsigned char* out) {
  if (value == 0) value = 0;  // -0.0 keys as +0.0
  uint64_t bits = std::bit_cast<uint64_t>(value);
  bits = (bits >> 63) ? ~bits : bits ^ (uint64_t{1} << 63);
  coding::put32be(out, static_cast<uint32_t>(bits >> 32));
  coding::put32be(out + 4, static_cast<uint32_t>(bits));
}

double numeric_from_key(const unsigned char* key) {
  uint64_t bits = (uint64_t{coding::get32be(key)} << 32) | coding::get32be(key + 4);
  bits = (bits >> 63) ? bits ^ (uint64_t{1} << 63) : ~bits;
  return std::bit_cast<double>(bits);
}

void integer_key(int32_t value, unsigned char* out) {
  coding::put32be(out, static_cast<uint32_t>(value) ^ 0x80000000u);
}

int32_t integer_from_key(const unsigned char* key) {
  return static_cast<int32_t>(coding::get32be(key) ^ 0x80000000u);
}

std::string with_short_names(const std::string& source) {
  std::string out;
  size_t i = 0;
  while (i < source.size()) {
    char c = source[i];
    if (c == '\'' || c == '"' || c == '[') {  // text constants stay as written
      char close = c == '[' ? ']' : c;
      size_t end = source.find(close, i + 1);
      end = end == std::string::npos ? source.size() : end + 1;
      out.append(source, i, end - i);
      i = end;
      continue;
    }
    if (!is_name_char(c) || (i > 0 && source[i - 1] == '.')) {
      out += c;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < source.size() && is_name_char(source[end])) ++end;
    size_t next = source.find_first_not_of(' ', end);
    bool call = next != std::string::npos && source[next] == '(';
    bool number = std::isdigit(static_cast<unsigned char>(c));
    size_t keep = (call || number) ? end - i : std::min<size_t>(end - i, 10);
    out.append(source, i, keep);
    i = end;
  }
  return out;
}

int resolve_key_source(Table* table, const std::string& source, KeySource& out) {
  out = KeySource{};
  std::string text = with_short_names(source);
  if (const Field* f = plain_field(table, text)) {
    out.field = f;
    out.kind = kind_of_field(f->type);
    out.type = out.kind == KeySource::kCharField ? 'C' : out.kind == KeySource::kDateField ? 'D' : 'N';
    return 0;
  }
  out.expression = exprParse(table, text.c_str());
  if (!out.expression) return table->engine->lastError < 0 ? table->engine->lastError : -1;
  char type = exprType(out.expression);
  out.type = type == 'D' ? 'D' : type == 'C' ? 'C' : 'N';
  if (type == 'L') out.kind = KeySource::kUnsupported;
  return 0;
}

int make_key(const KeySource& source, Table* table, unsigned key_length, unsigned char* out) {
  const char* rec = table->record.data();
  const Field* f = source.field;
  switch (source.kind) {
    case KeySource::kCharField: {
      unsigned n = std::min(f->width, key_length);
      std::memcpy(out, rec + f->offset, n);
      std::memset(out + n, ' ', key_length - n);
      return 0;
    }
    case KeySource::kNumberField:
      numeric_key(textToDouble(rec + f->offset, static_cast<int>(f->width)), out);
      return 0;
    case KeySource::kDateField:
      numeric_key(static_cast<double>(date_to_day(rec + f->offset)), out);
      return 0;
    case KeySource::kIntegerField:
      integer_key(static_cast<int32_t>(coding::get32le(rec + f->offset)), out);
      return 0;
    case KeySource::kDoubleField: {
      uint64_t bits = coding::get64le(reinterpret_cast<const unsigned char*>(rec + f->offset));
      numeric_key(std::bit_cast<double>(bits), out);
      return 0;
    }
    case KeySource::kUnsupported:
      return -910;
    case KeySource::kExpression:
      break;
  }
  if (source.type == 'C') {
    int length = exprKeyLength(source.expression);
    // The expression module writes its full result; a key shorter than it
    // keeps the front part.
    char local[256];
    std::string wide;
    char* text = local;
    if (length > static_cast<int>(sizeof local)) {
      wide.resize(static_cast<size_t>(length));
      text = wide.data();
    }
    double unused = 0;
    int rc = exprEvaluate(source.expression, text, &unused);
    if (rc < 0) return rc;
    unsigned n = std::min(static_cast<unsigned>(std::max(length, 0)), key_length);
    std::memcpy(out, text, n);
    std::memset(out + n, ' ', key_length - n);
    return 0;
  }
  double number = 0;
  int rc = exprEvaluate(source.expression, nullptr, &number);
  if (rc < 0) return rc;
  if (key_length == kIntegerKeyLength) integer_key(static_cast<int32_t>(number), out);
  else numeric_key(number, out);
  return 0;
}

}  // namespace qx::dbf::cdx
