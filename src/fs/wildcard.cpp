#include "fs/wildcard.h"

#include <cstdint>
#include <vector>

#include "port/wstr.h"

namespace qx::fs {

namespace {

enum class Kind : uint8_t { kLiteral, kStar, kStarToLastPoint, kAnyOne, kPointOrEnd };

struct Token {
  Kind kind;
  char16_t c;  // the character of a literal, upper case
};

std::vector<Token> compile(std::u16string_view p) {
  std::vector<Token> tokens;
  for (size_t i = 0; i < p.size(); ++i) {
    char16_t next = i + 1 < p.size() ? p[i + 1] : u'\0';
    switch (p[i]) {
      case u'?': tokens.push_back({Kind::kAnyOne, 0}); break;
      case u'*':
        tokens.push_back({next == u'.' ? Kind::kStarToLastPoint : Kind::kStar, 0});
        break;
      case u'.':
        if (next == u'?' || next == u'*' || next == u'\0')
          tokens.push_back({Kind::kPointOrEnd, 0});
        else
          tokens.push_back({Kind::kLiteral, u'.'});
        break;
      default: tokens.push_back({Kind::kLiteral, port::wtoupper(p[i])});
    }
  }
  return tokens;
}

// Matching by dynamic programming over (token, name position), so that
// patterns full of stars stay linear in the name for each token.
class Matcher {
 public:
  Matcher(std::vector<Token> tokens, std::u16string_view name)
      : tokens_(std::move(tokens)),
        name_(name),
        last_point_(name.rfind(u'.')),
        memo_((tokens_.size() + 1) * (name.size() + 1), kUnknown) {}

  bool match(size_t t, size_t i) {
    int8_t& m = memo_[t * (name_.size() + 1) + i];
    if (m == kUnknown) m = compute(t, i) ? kYes : kNo;
    return m == kYes;
  }

 private:
  static constexpr int8_t kUnknown = -1, kNo = 0, kYes = 1;

  bool compute(size_t t, size_t i) {
    size_t n = name_.size();
    if (t == tokens_.size()) return i == n;
    const Token& tok = tokens_[t];
    switch (tok.kind) {
      case Kind::kStar:
        for (size_t k = i; k <= n; ++k)
          if (match(t + 1, k)) return true;
        return false;
      case Kind::kStarToLastPoint: {
        size_t end = (last_point_ != std::u16string_view::npos && last_point_ >= i) ? last_point_ : n;
        for (size_t k = i; k <= end; ++k)
          if (match(t + 1, k)) return true;
        return false;
      }
      case Kind::kAnyOne:
        if (i == n || name_[i] == u'.') {
          size_t u = t;
          while (u < tokens_.size() && tokens_[u].kind == Kind::kAnyOne) ++u;
          return match(u, i);
        }
        return match(t + 1, i + 1);
      case Kind::kPointOrEnd:
        if (i == n) return match(t + 1, i);
        return name_[i] == u'.' && match(t + 1, i + 1);
      case Kind::kLiteral:
        return i < n && port::wtoupper(name_[i]) == tok.c && match(t + 1, i + 1);
    }
    return false;
  }

  std::vector<Token> tokens_;
  std::u16string_view name_;
  size_t last_point_;
  std::vector<int8_t> memo_;
};

}  // namespace

bool name_matches(std::u16string_view pattern, std::u16string_view name) {
  Matcher m(compile(pattern), name);
  return m.match(0, 0);
}

bool has_wildcards(std::u16string_view pattern) {
  return pattern.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace qx::fs
