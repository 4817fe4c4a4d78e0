#include "platform/Events.h"
#include "platform/EventTranslation.h"

#include <SDL.h>

namespace {
Uint32 commandEvent = 0;

Uint32 commandEventType() {
  if (commandEvent == 0) commandEvent = SDL_RegisterEvents(1);
  return commandEvent;
}

bool keyCommand(const SDL_KeyboardEvent& key, ShowCommand* c) {
  bool held = key.repeat != 0;  // only seeking goes on while a key is held
  switch (key.keysym.sym) {
    case SDLK_ESCAPE: *c = {Command::Quit, 0}; return true;
    case SDLK_LEFT: *c = {Command::SeekBy, -5000}; return true;
    case SDLK_RIGHT: *c = {Command::SeekBy, 5000}; return true;
    case SDLK_SPACE: *c = {Command::Pause, 0}; return !held;
    case SDLK_PAGEUP: *c = {Command::JumpScene, -1}; return !held;
    case SDLK_PAGEDOWN: *c = {Command::JumpScene, 1}; return !held;
    case SDLK_HOME: *c = {Command::Restart, 0}; return !held;
    case SDLK_F11: *c = {Command::ToggleFullscreen, 0}; return !held;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      *c = {Command::ToggleFullscreen, 0};
      return !held && (key.keysym.mod & KMOD_ALT) != 0;
    default: return false;
  }
}

bool windowCommand(const SDL_WindowEvent& w, ShowCommand* c) {
  switch (w.event) {
    case SDL_WINDOWEVENT_CLOSE: *c = {Command::Quit, 0}; return true;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: *c = {Command::Hidden, 0}; return true;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED: *c = {Command::Shown, 0}; return true;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: *c = {Command::Redraw, 0}; return true;
    default: return false;
  }
}

}  // namespace

bool translateEvent(const SDL_Event& e, ShowCommand* c) {
  if (e.type == commandEventType()) {
    *c = {static_cast<Command>(e.user.code), static_cast<int>(reinterpret_cast<intptr_t>(e.user.data1))};
    return true;
  }
  switch (e.type) {
    case SDL_QUIT: *c = {Command::Quit, 0}; return true;
    case SDL_KEYDOWN: return keyCommand(e.key, c);
    case SDL_WINDOWEVENT: return windowCommand(e.window, c);
    case SDL_MOUSEMOTION: *c = {Command::PointerMoved, 0}; return true;
    case SDL_AUDIODEVICEREMOVED: *c = {Command::AudioLost, 0}; return e.adevice.iscapture == 0;
    default: return false;
  }
}

bool pollCommand(ShowCommand* c) {
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (translateEvent(e, c)) return true;
  return false;
}

void postCommand(const ShowCommand& command) {
  SDL_Event e{};
  e.type = commandEventType();
  e.user.code = static_cast<Sint32>(command.kind);
  e.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(command.value));
  SDL_PushEvent(&e);
}

void postQuit(int code) { postCommand({Command::Quit, code}); }

std::string executableFolder() {
  std::string folder;
  if (char* base = SDL_GetBasePath()) {
    folder = base;
    SDL_free(base);
  }
  return folder;
}

void stopPlatform() { SDL_Quit(); }
