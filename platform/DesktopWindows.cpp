#include "platform/Desktop.h"

// Every Windows session has a desktop; offscreen frames come from a hidden window on it.
bool desktopReachable(const char**) { return true; }

const char* headlessVideoDriver() { return nullptr; }

bool offscreenFramesShow() { return false; }
