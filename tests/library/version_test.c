/* The version a program sees, from C: the header's macros are the project's
 * version, and the library it links reports the same at run time. Built once
 * against each of the four libraries. */
#include <stdio.h>

#include "wubble.h"

int main(void) {
  int ok = WUBBLE_VERSION_MAJOR == PROJECT_VERSION_MAJOR &&
           WUBBLE_VERSION_MINOR == PROJECT_VERSION_MINOR &&
           WUBBLE_VERSION_PATCH == PROJECT_VERSION_PATCH;
  if (!ok) fprintf(stderr, "FAILED: <wubble.h> says %d.%d.%d, the project %d.%d.%d\n",
                   WUBBLE_VERSION_MAJOR, WUBBLE_VERSION_MINOR, WUBBLE_VERSION_PATCH,
                   PROJECT_VERSION_MAJOR, PROJECT_VERSION_MINOR, PROJECT_VERSION_PATCH);
  if (WubbleVersion() != WUBBLE_VERSION) {
    fprintf(stderr, "FAILED: WubbleVersion() is %d, the header's %d\n", (int)WubbleVersion(),
            WUBBLE_VERSION);
    ok = 0;
  }
  return ok ? 0 : 1;
}
