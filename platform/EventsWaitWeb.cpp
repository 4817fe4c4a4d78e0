// A browser: events arrive only while the page has control, so the loop gives it back until
// the next animation frame, then looks.
#include "platform/DisplayPace.h"
#include "platform/Events.h"

bool waitCommand(ShowCommand* c, int) {
  awaitNextRefresh();
  return pollCommand(c);
}
