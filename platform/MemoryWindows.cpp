#include "platform/Memory.h"

#include <windows.h>
#include <psapi.h>

long residentMemoryKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

// The Windows heap decides for itself; there is nothing to set.
bool keepFreedMemory() { return false; }
