// Any bytes as the text of the seed field. ParseInt must read it as a
// plainly written model does (blanks and tabs, one sign, digits wrapping in
// 32 bits, stop at anything else), and FormatInt must write every value as
// the standard library does and be read back to the same value.
#include <cstdint>
#include <cstring>
#include <string>

#include "number_text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// The leading integer of `text`, digit by digit in 64 bits, kept to 32.
int32_t ModelParse(const std::string &text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  uint64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = (value * 10 + uint64_t(text[at] - '0')) % 4294967296u;
  }
  if (negative) value = (4294967296u - value) % 4294967296u;
  return int32_t(uint32_t(value));
}

void CheckFormat(int32_t value) {
  NumberText out = FormatInt(value);
  size_t length = strnlen(out.text, sizeof out.text);
  Check(length < sizeof out.text);  // terminated inside the record
  Check(std::string(out.text) == std::to_string(value));
  Check(ParseInt(out.text) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The field's text ends at its first NUL, as the toolkit hands it over.
  std::string text(reinterpret_cast<const char *>(data), size);
  text.resize(std::strlen(text.c_str()));
  int32_t parsed = ParseInt(text.c_str());
  Check(parsed == ModelParse(text));
  CheckFormat(parsed);

  // The first four bytes as a raw value reach every magnitude and sign.
  if (size >= 4) {
    uint32_t raw;
    std::memcpy(&raw, data, 4);
    CheckFormat(int32_t(raw));
  }
  return 0;
}
