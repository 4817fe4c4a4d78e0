#include "platform/Console.h"

// A Linux program's stdout and stderr are always those of whoever started it.
void attachConsole() {}
