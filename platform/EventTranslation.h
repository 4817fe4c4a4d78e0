#pragma once
// Inside platform/: how a window-system event becomes one of the show's commands.
#include "platform/Events.h"

#include <SDL.h>

// False for events that mean nothing to the show.
bool translateEvent(const SDL_Event& e, ShowCommand* c);
