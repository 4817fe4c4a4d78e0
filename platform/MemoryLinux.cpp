#include "platform/Memory.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

long residentMemoryKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
  std::fclose(f);
  return kb;
}

bool keepFreedMemory() {
  // The heap's top is trimmed only past 256 MiB of free space, and blocks up to 32 MiB (the
  // most glibc allows) come from the heap rather than from mappings of their own, which would
  // be unmapped on every free.
  return mallopt(M_TRIM_THRESHOLD, 256 << 20) == 1 && mallopt(M_MMAP_THRESHOLD, 32 << 20) == 1;
}
