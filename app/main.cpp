#include "quiet_logs.h"
#include "shell.h"
#include "toolkit.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

// Every regeneration allocates and frees a 260000-byte image, and the audio
// library a buffer of the same size. glibc's malloc would raise its mmap
// threshold after the first such free and keep later ones on the heap,
// which then holds their high-water mark for good; a fixed threshold keeps
// them mapped and returned on free.
static void KeepLargeBlocksMapped() {
#ifdef M_MMAP_THRESHOLD
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

int main() {
  KeepLargeBlocksMapped();
  SetProgramName(WUBBLE_PROGRAM_NAME);  // given by the build: wubble-scope or wubble-lite
  SilenceAudioLibraryLogs();  // before StartUp opens the audio output
  StartUp();
  while (RunLoopPass()) {
  }
  ShutDown();
  return 0;
}
