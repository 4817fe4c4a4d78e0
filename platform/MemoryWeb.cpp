// A browser: the module's heap only grows, and the page does not say how much of it is used.
#include "platform/Memory.h"

long residentMemoryKb() { return -1; }

bool keepFreedMemory() { return true; }
