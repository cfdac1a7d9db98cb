// Text from the command line or a list as it goes into a one-line message.
#pragma once
#include <cstddef>
#include <string>

// Names and tokens get kShortShown bytes, paths kLongShown.
constexpr size_t kShortShown = 64;
constexpr size_t kLongShown = 256;

// Control characters (which would break the line or drive the terminal)
// show as '?'; a text longer than `longest` bytes is cut at the start of a
// character and ends in "...".
std::string ShownText(const std::string &text, size_t longest = kShortShown);
