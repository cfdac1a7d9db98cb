#include "drawing_scale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

bool ParseScaleSetting(const char *text, int32_t *scale) {
  if (text == nullptr || *text == '\0') return false;
  int32_t value = 0;
  for (const char *at = text; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9') return false;
    value = value * 10 + (*at - '0');
    if (value > 4) return false;
  }
  if (value < 1) return false;
  *scale = value;
  return true;
}

int32_t ScaleForDpiValue(double dpi) {
  if (!std::isfinite(dpi)) return 1;
  double steps = std::floor(dpi / 96.0);
  // A screen this dense does not exist; the cap only keeps the int sane.
  if (steps > 64) steps = 64;
  return steps < 1 ? 1 : static_cast<int32_t>(steps);
}

int32_t ScaleForDpi(const char *dpi_text) {
  if (dpi_text == nullptr) return 1;
  char *end = nullptr;
  double dpi = std::strtod(dpi_text, &end);
  return end == dpi_text ? 1 : ScaleForDpiValue(dpi);
}

int32_t ChooseScale(const char *setting, const char *dpi_text, bool *bad_setting) {
  *bad_setting = false;
  if (setting != nullptr && *setting != '\0') {
    int32_t scale = 1;
    if (ParseScaleSetting(setting, &scale)) return scale;
    *bad_setting = true;
    return 1;
  }
  return ScaleForDpi(dpi_text);
}

void NoteBadScaleSetting(const char *program, const char *setting) {
  std::fprintf(stderr, "%s: WUBBLE_SCALE must be 1, 2, 3 or 4, not \"%s\"; drawing at scale 1\n",
               program, setting);
}
