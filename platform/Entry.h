#pragma once
// The program's entry point as each system wants it. Where Windows starts a windowed program at
// WinMain, SDL renames main and its own small library supplies the real entry, which calls it;
// elsewhere this changes nothing. Include it in the file that defines main.
#include <SDL_main.h>
