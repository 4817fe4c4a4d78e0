#pragma once

// Whether the show can put a window on a desktop, and what offscreen runs use when it cannot.
// False with the reason in *why when no desktop is reachable.
bool desktopReachable(const char** why);
// The video driver for offscreen frames when no desktop is reachable (SDL's EGL-based
// "offscreen" on Linux); null where offscreen frames always come from a hidden window.
const char* headlessVideoDriver();
// True where the show's window is always on view, whatever it is asked for: a page's canvas.
// There offscreen frames are shown as well as read back.
bool offscreenFramesShow();
