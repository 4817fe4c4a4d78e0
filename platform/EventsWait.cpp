// Linux and Windows: the loop sleeps in the window system until an event comes.
#include "platform/EventTranslation.h"

bool waitCommand(ShowCommand* c, int timeoutMs) {
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, timeoutMs) && translateEvent(e, c)) return true;
  return pollCommand(c);
}
