#pragma once
// The program's entry point as each system wants it. Windows starts a windowed program at
// WinMain, which SDL's small main library supplies: it calls the program's main under the name
// SDL_main, with C linkage, as SDL's own SDL_main.h arranges. Elsewhere this changes nothing.
// Include it in the file that defines main.
#if defined(_WIN32)
#define main SDL_main
extern "C" int SDL_main(int argc, char* argv[]);
#endif
