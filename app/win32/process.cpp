#include "process.h"

#include <windows.h>

#include <cstdio>

void PrepareProcess() {
  HANDLE standard_error = GetStdHandle(STD_ERROR_HANDLE);
  if (standard_error != nullptr && standard_error != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (std::freopen("CONOUT$", "w", stderr) != nullptr) std::setvbuf(stderr, nullptr, _IONBF, 0);
}
