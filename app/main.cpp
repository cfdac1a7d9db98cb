#include "process.h"
#include "shell.h"
#include "toolkit.h"

int main() {
  PrepareProcess();
  SetProgramName(WUBBLE_PROGRAM_NAME);  // given by the build: wubble-scope or wubble-lite
  StartUp();
  while (RunLoopPass()) {
  }
  ShutDown();
  return 0;
}
