// A browser: the page's canvas is the show's one window, always there and always on view.
#include "platform/Desktop.h"

bool desktopReachable(const char**) { return true; }

const char* headlessVideoDriver() { return nullptr; }

bool offscreenFramesShow() { return true; }
