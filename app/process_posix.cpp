#include "process.h"

#include "quiet_logs.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace {

// Every regeneration allocates and frees a 260000-byte image, and the audio
// library a buffer of the same size. glibc's malloc would raise its mmap
// threshold after the first such free and keep later ones on the heap,
// which then holds their high-water mark for good; a fixed threshold keeps
// them mapped and returned on free.
void KeepLargeBlocksMapped() {
#ifdef M_MMAP_THRESHOLD
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace

void PrepareProcess() {
  KeepLargeBlocksMapped();
  SilenceAudioLibraryLogs();  // before StartUp opens the audio output
}
