// WubbleVersion: the header's version, compiled into the library, so a
// program can tell the release it runs with from the one it was built for.
#include "wubble.h"

static_assert(WUBBLE_VERSION_MINOR < 100 && WUBBLE_VERSION_PATCH < 100,
              "WUBBLE_VERSION gives minor and patch two digits each");

int32_t WubbleVersion(void) { return WUBBLE_VERSION; }
