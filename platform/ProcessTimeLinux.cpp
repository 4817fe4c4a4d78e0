#include "platform/ProcessTime.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

double steadyMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

double msSinceProcessStart() {
  FILE* f = std::fopen("/proc/self/stat", "r");
  if (!f) return -1.0;
  char line[1024] = {0};
  size_t n = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  line[n] = '\0';
  // Field 22 is the start time in clock ticks since boot; count from after the command name,
  // which is in parentheses and may hold spaces.
  const char* p = std::strrchr(line, ')');
  if (!p) return -1.0;
  int field = 2;
  while (*p && field < 22) {
    if (*p == ' ') ++field;
    ++p;
  }
  double startTicks = std::strtod(p, nullptr);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
  return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}
