// The oscilloscope view of wubble-scope: redrawn on every loop pass from the
// shell's copy of the current sound and the play position of slot 1.
#pragma once
#include "toolkit.h"

// What ScopeImage shows; its pixels are rewritten on every pass.
extern Picture scope_image;

// Creates the scope image, all black, and ScopeImage showing it.
void SetUpScope();
void DrawScope();
void FreeScope();
