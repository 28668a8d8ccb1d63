// A long path shortened for display: middle directories give way to "...",
// keeping as many leading and trailing components as fit, grown one at a
// time from the right and the left in turn.
#include <string>

#include "fs/names.h"
#include "port/wstr.h"
#include "qx/fname.h"
#include "qx/str.h"

namespace {

using qx::fs::is_separator;
using qx::fs::kPathRoom;
namespace port = qx::port;

constexpr const qx_wchar* kSeparators = u"\\/";

struct Token {
  std::u16string text;
  int position = -1;
};

// The nth component from the left (or right), with where it starts.
bool component(const std::u16string& name, int n, bool from_right, Token* out) {
  int position = -1;
  const qx_wchar* t = from_right ? qx_Str_getRightNthToken(name.c_str(), kSeparators, n, &position)
                                 : qx_Str_getNthToken(name.c_str(), kSeparators, n, &position);
  if (!t) return false;
  out->text = t;
  out->position = position;
  return true;
}

std::u16string cut(std::u16string s, int maximum) {
  if (maximum < 0) maximum = 0;
  if (s.size() > static_cast<size_t>(maximum)) s.resize(static_cast<size_t>(maximum));
  return s;
}

// Grows head and tail around "..." while the result stays within the
// maximum; see the description of each step below.
class Abbreviation {
 public:
  Abbreviation(const std::u16string& name, qx_wchar sep, int maximum, std::u16string head,
               std::u16string tail, int left_pos, int right_pos)
      : name_(name), sep_(sep), maximum_(static_cast<size_t>(maximum)), head_(std::move(head)),
        tail_(std::move(tail)), left_pos_(left_pos), right_pos_(right_pos) {}

  std::u16string candidate() const { return head_ + sep_ + u"..." + sep_ + tail_; }

  // Alternates right and left steps, starting on the right, until a
  // candidate fits exactly, the components run out or meet, or both sides
  // have grown past the maximum.
  std::u16string grow() {
    std::u16string kept = candidate();
    bool right_open = true, left_open = true;
    for (int n = 1; right_open || left_open; ++n) {
      if (right_open) {
        Token t;
        if (!component(name_, n, true, &t) || t.position <= left_pos_) return kept;
        std::u16string old_tail = tail_;
        tail_ = t.text + sep_ + tail_;
        std::u16string c = candidate();
        if (c.size() == maximum_) return c;
        if (c.size() > maximum_) {
          right_open = false;
          tail_ = old_tail;
        } else {
          kept = c;
          right_pos_ = t.position;
        }
      }
      if (left_open) {
        Token t;
        if (!component(name_, n, false, &t) || t.position >= right_pos_) return kept;
        std::u16string old_head = head_;
        head_ = head_ + sep_ + t.text;
        std::u16string c = candidate();
        if (c.size() == maximum_) return c;
        if (c.size() > maximum_) {
          left_open = false;
          if (right_open) head_ = old_head;
        } else {
          kept = c;
          left_pos_ = t.position;
        }
      }
    }
    return kept;
  }

 private:
  const std::u16string& name_;
  qx_wchar sep_;
  size_t maximum_;
  std::u16string head_, tail_;
  int left_pos_, right_pos_;
};

std::u16string abbreviated(const qx_wchar* given, int maximum) {
  qx_wchar work[kPathRoom + 1];
  port::wcopy(work, kPathRoom + 1, given);
  qx_Str_rlb(work);
  qx_Str_rtb(work);
  std::u16string name = work;
  if (maximum >= 0 && name.size() <= static_cast<size_t>(maximum)) return name;
  if (name.find_first_of(kSeparators) == std::u16string::npos) return cut(name, maximum);

  qx_Fname_rmvPath(work);
  std::u16string file = work;
  if (maximum < 0 || file.size() > static_cast<size_t>(maximum)) return cut(file, maximum);

  // Head: the leading separators (not one that ends the name) and the first
  // component; tail: the last component and the trailing separators.
  size_t lead = 0;
  while (lead + 1 < name.size() && is_separator(name[lead])) ++lead;
  size_t trail = 0;
  while (trail < name.size() && is_separator(name[name.size() - 1 - trail])) ++trail;
  Token first, last;
  if (!component(name, 0, false, &first) || !component(name, 0, true, &last) ||
      first.position == last.position)
    return cut(file, maximum - 1);
  std::u16string head = name.substr(0, lead) + first.text;
  std::u16string tail = last.text + name.substr(name.size() - trail);

  qx_wchar sep = qx::fs::separator_of(name);
  Abbreviation a(name, sep, maximum, head, tail, first.position, last.position);
  std::u16string c = a.candidate();
  if (c.size() == static_cast<size_t>(maximum)) return c;
  if (c.size() > static_cast<size_t>(maximum)) {
    std::u16string shorter = std::u16string(u"...") + sep + tail;
    return shorter.size() <= static_cast<size_t>(maximum) ? shorter : tail;
  }
  return a.grow();
}

}  // namespace

extern "C" qx_wchar* qx_Fname_abbreviate(const qx_wchar* name, int maximum) {
  static qx_wchar buffer[kPathRoom + 1];
  buffer[0] = 0;
  if (!name || maximum >= static_cast<int>(kPathRoom) + 1) return buffer;
  return qx::fs::into_buffer(buffer, abbreviated(name, maximum));
}
