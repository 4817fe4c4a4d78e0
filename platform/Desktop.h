#pragma once

// Whether the show can put a window on a desktop, and what offscreen runs use when it cannot.
// False with the reason in *why when no desktop is reachable.
bool desktopReachable(const char** why);
// The video driver for offscreen frames when no desktop is reachable (SDL's EGL-based
// "offscreen" on Linux); null where offscreen frames always come from a hidden window.
const char* headlessVideoDriver();
