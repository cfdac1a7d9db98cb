#include "shown_text.h"

namespace {

bool IsControl(unsigned char ch) { return ch < 0x20 || ch == 0x7f; }

bool IsUtf8Continuation(unsigned char ch) { return (ch & 0xc0) == 0x80; }

}  // namespace

std::string ShownText(const std::string &text, size_t longest) {
  size_t end = text.size();
  bool cut = end > longest;
  if (cut) {
    end = longest;
    while (end > 0 && IsUtf8Continuation(static_cast<unsigned char>(text[end]))) end--;
  }
  std::string shown = text.substr(0, end);
  for (char &ch : shown) {
    if (IsControl(static_cast<unsigned char>(ch))) ch = '?';
  }
  return cut ? shown + "..." : shown;
}
