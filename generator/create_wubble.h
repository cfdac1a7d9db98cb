// The generator entry: builds a sound, loads it into a sound slot ready to
// play and optionally leaves a copy of its 260000-byte WAV image in `dest`.
// Declared, with C linkage and the four-argument form, in the public header.
#pragma once
#include "wubble.h"
