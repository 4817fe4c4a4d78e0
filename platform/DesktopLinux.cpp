#include "platform/Desktop.h"

#include <SDL.h>

bool desktopReachable(const char** why) {
  const char* forced = SDL_getenv("SDL_VIDEODRIVER");
  if (forced && *forced) return true;
  const char* x = SDL_getenv("DISPLAY");
  const char* wl = SDL_getenv("WAYLAND_DISPLAY");
  if ((x && *x) || (wl && *wl)) return true;
  *why = "no display is reachable (DISPLAY and WAYLAND_DISPLAY are unset)";
  return false;
}

const char* headlessVideoDriver() { return "offscreen"; }

bool offscreenFramesShow() { return false; }
