// Linux and Windows: the buffer swap paces the loop.
#include "platform/DisplayPace.h"

void awaitNextRefresh() {}
