#include "platform/Console.h"

#include <windows.h>

#include <cstdio>

namespace {
bool connected(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}
}  // namespace

// Started from a double-click the program has no console, and its text goes nowhere. Started
// from a command prompt it can borrow the prompt's; redirected output is kept as it is.
void attachConsole() {
  bool out = connected(STD_OUTPUT_HANDLE), err = connected(STD_ERROR_HANDLE);
  if (out && err) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out) std::freopen("CONOUT$", "w", stdout);
  if (!err) std::freopen("CONOUT$", "w", stderr);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}
