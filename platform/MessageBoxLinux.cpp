#include "platform/MessageBox.h"

#include <SDL.h>

void showErrorDialog(const char* text, const char* caption) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
