#include "shell.h"

int main() {
  StartUp();
  while (RunLoopPass()) {
  }
  ShutDown();
  return 0;
}
