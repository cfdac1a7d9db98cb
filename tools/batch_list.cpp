// The lines of a batch list.
#include <cerrno>
#include <cstring>
#include <map>

#include "batch.h"
#include "render_args.h"
#include "shown_text.h"
#include "typed_ranges.h"

namespace {

enum LineKind { kNoSound, kSoundLine, kBadLine };

bool LooksLikeNumber(const std::string &token) {
  size_t digit = token[0] == '-' || token[0] == '+' ? 1 : 0;
  return digit < token.size() && token[digit] >= '0' && token[digit] <= '9';
}

struct NumberField {
  const char *name;
  TypedRange range;
};

const NumberField kFields[] = {{"SEED", kSeedRange}, {"MUTATIONS", kMutationsRange}, {"VOLUME", kVolumeRange}};

std::vector<std::string> Tokens(const std::string &text) {
  std::vector<std::string> tokens;
  size_t at = 0;
  for (;;) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string::npos) return tokens;
    size_t end = text.find_first_of(" \t", at);
    if (end == std::string::npos) end = text.size();
    tokens.push_back(text.substr(at, end - at));
    at = end;
  }
}

// Room for ".wav" and the longest name most file systems take.
constexpr size_t kLongestName = 250;

bool CheckName(const std::string &name, std::string *error) {
  if (name.find('/') != std::string::npos) {
    *error = "NAME \"" + ShownText(name) + "\" is not a plain file name (no / allowed)";
    return false;
  }
  for (char ch : name) {
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) {
      *error = "NAME \"" + ShownText(name) + "\" has a control character";
      return false;
    }
  }
  if (name.size() > kLongestName) {
    *error = "NAME is longer than " + std::to_string(kLongestName) + " bytes";
    return false;
  }
  return true;
}

// Parses one line (without its end). A bad line gets `error`, which says
// what was wrong with it.
LineKind ParseBatchLine(const std::string &text, BatchSound *out, std::string *error) {
  std::vector<std::string> tokens = Tokens(text);
  if (tokens.empty() || tokens[0][0] == '#') return kNoSound;
  BatchSound sound;
  sound.line = out->line;
  int32_t *const numbers[] = {&sound.seed, &sound.mutations, &sound.volume};
  size_t count = 0;  // numbers read
  size_t at = 0;
  for (; at < tokens.size() && count < 3 && LooksLikeNumber(tokens[at]); at++, count++) {
    const NumberField &field = kFields[count];
    int64_t value;
    if (!ParseWholeNumber(tokens[at].c_str(), field.range.lowest, field.range.highest, &value)) {
      *error = std::string(field.name) + " \"" + ShownText(tokens[at]) + "\" is not a whole number from " +
               std::to_string(field.range.lowest) + " to " + std::to_string(field.range.highest);
      return kBadLine;
    }
    *numbers[count] = TypedValue(value);
  }
  if (count == 0) {
    *error = "SEED \"" + ShownText(tokens[0]) + "\" is not a number";
    return kBadLine;
  }
  if (at < tokens.size()) {
    if (!CheckName(tokens[at], error)) return kBadLine;
    sound.name = tokens[at++];
  } else {
    sound.name = std::to_string(sound.seed) + "_" + std::to_string(sound.mutations) + "_" +
                 std::to_string(sound.volume);
  }
  if (at < tokens.size()) {
    *error = "\"" + ShownText(tokens[at]) + "\" after the name; a line is SEED [MUTATIONS [VOLUME]] [NAME]";
    return kBadLine;
  }
  *out = sound;
  return kSoundLine;
}

struct ListReader {
  std::FILE *file;
  int64_t line = 0;         // of the line read last
  bool after_cr = false;    // the last line ended at a CR, which may begin a CRLF
  bool skipping = false;    // the rest of a line that was too long
  int error = 0;            // errno of a failed read
};

// The byte after the end of the line that `ch` is in, skipping it.
int SkipLine(ListReader &reader, int ch) {
  while (ch != EOF && ch != '\n' && ch != '\r') ch = std::getc(reader.file);
  return ch;
}

// Reads the next line into `text`, without its end. A line that grows past
// kLongestListLine comes back at once, cut, with `too_long` set, and the
// rest of it is skipped by the next call. False at the end of the list and
// when a read fails (`error` then set).
bool ReadListLine(ListReader &reader, std::string *text, bool *too_long) {
  text->clear();
  *too_long = false;
  int ch = std::getc(reader.file);
  if (reader.skipping) ch = SkipLine(reader, ch);
  if (reader.skipping && ch != EOF) {
    reader.after_cr = ch == '\r';
    ch = std::getc(reader.file);
  }
  reader.skipping = false;
  if (reader.after_cr && ch == '\n') ch = std::getc(reader.file);
  reader.after_cr = false;
  for (; ch != EOF && ch != '\n' && ch != '\r'; ch = std::getc(reader.file)) {
    if (text->size() == kLongestListLine) {
      reader.skipping = true;
      *too_long = true;
      break;
    }
    text->push_back(char(ch));
  }
  if (ch == EOF && std::ferror(reader.file)) {
    reader.error = errno;
    return false;
  }
  if (ch == EOF && text->empty() && !*too_long) return false;
  reader.after_cr = ch == '\r';
  if (++reader.line == 1 && text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
  return true;
}

}  // namespace

bool ReadBatchList(std::FILE *file, const std::string &shown_name, std::vector<BatchSound> *sounds,
                   bool *bad) {
  ListReader reader{file};
  std::map<std::string, int64_t> lines_by_name;
  std::string text, error;
  bool too_long;
  while (ReadListLine(reader, &text, &too_long)) {
    BatchSound sound;
    sound.line = reader.line;
    LineKind kind = too_long ? kBadLine : ParseBatchLine(text, &sound, &error);
    if (too_long) error = "longer than " + std::to_string(kLongestListLine) + " bytes";
    if (kind == kNoSound) continue;
    if (kind == kSoundLine) {
      auto taken = lines_by_name.emplace(sound.name, sound.line);
      if (taken.second) {
        sounds->push_back(sound);
        continue;
      }
      error = "the name \"" + ShownText(sound.name) + "\" is taken by line " + std::to_string(taken.first->second);
    }
    std::fprintf(stderr, "wubble-render: %s line %lld: %s; skipped\n", shown_name.c_str(),
                 static_cast<long long>(reader.line), error.c_str());
    *bad = true;
  }
  if (reader.error == 0) return true;
  std::fprintf(stderr, "wubble-render: cannot read %s: %s\n", shown_name.c_str(), std::strerror(reader.error));
  return false;
}
