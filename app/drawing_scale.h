// The whole-number factor the windows are drawn at, from the WUBBLE_SCALE
// setting or the screen's density.
#pragma once
#include <cstdint>

// WUBBLE_SCALE's text: true with the factor when it is a whole number
// from 1 to 4 written in digits alone.
bool ParseScaleSetting(const char *text, int32_t *scale);

// A density in dots per inch: 96 a step, rounded down, at least 1.
int32_t ScaleForDpiValue(double dpi);

// An Xft.dpi text: ScaleForDpiValue of its number; 1 when there is no text
// or it is no number.
int32_t ScaleForDpi(const char *dpi_text);

// The setting when there is one (null or "" is none), else the resource.
// A setting that ParseScaleSetting refuses gives 1 and sets `bad_setting`.
int32_t ChooseScale(const char *setting, const char *dpi_text, bool *bad_setting);

// The one line on stderr for a setting that ChooseScale refused.
void NoteBadScaleSetting(const char *program, const char *setting);
