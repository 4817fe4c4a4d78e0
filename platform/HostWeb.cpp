// A browser: the page's object Module.kelvarnHost hears the show (web/index.html).
#include "platform/Host.h"

#include <emscripten.h>

namespace {
EM_JS(void, pageFrameDrawn, (double showMs), {
  if (Module.kelvarnHost) Module.kelvarnHost.frameDrawn(showMs);
});

EM_JS(void, pageMusicStarted, (double fromMs), {
  if (Module.kelvarnHost) Module.kelvarnHost.musicStarted(fromMs);
});

EM_JS(void, pageMusicHeld, (int held), {
  if (Module.kelvarnHost) Module.kelvarnHost.musicHeld(held != 0);
});

EM_ASYNC_JS(int, pageEnded, (), {
  if (!Module.kelvarnHost) return 0;
  return (await Module.kelvarnHost.ended()) ? 1 : 0;
});

EM_ASYNC_JS(void, pageKeepsStill, (double showMs), {
  if (Module.kelvarnHost) Module.kelvarnHost.stillShown(showMs);
  await new Promise(function() {});  // the page goes before this does
});
}  // namespace

void hostFrameDrawn(uint32_t showMs) { pageFrameDrawn(showMs); }

void hostMusicStarted(uint32_t fromMs) { pageMusicStarted(fromMs); }

void hostMusicHeld(bool held) { pageMusicHeld(held); }

bool hostOffersReplay() { return pageEnded() != 0; }

void hostKeepStill(uint32_t showMs) { pageKeepsStill(showMs); }
