#pragma once
#include <string>

// The window system's events, read here and turned into the show's own commands.
enum class Command {
  Quit,              // value: the exit status (Escape, closing the window, the show's own end)
  Pause,             // pause or resume picture and music together
  SeekBy,            // value: ms, forward or back
  JumpScene,         // value: +1 the next scene's start, -1 the previous one's
  Restart,           // start over from 0
  ToggleFullscreen,  // full screen <-> window
  Hidden,            // minimised or hidden: nothing to draw
  Shown,             // visible again
  Redraw,            // exposed or resized: present the last picture again
  PointerMoved,
  AudioLost,         // the output device went away
};

struct ShowCommand {
  Command kind = Command::Quit;
  int value = 0;
};

// Takes the next command if one waits; false when none does (events that mean nothing to the
// show are dropped on the way).
bool pollCommand(ShowCommand* command);
// The same, but waits up to timeoutMs for one: the loop's way of sleeping.
bool waitCommand(ShowCommand* command, int timeoutMs);
// Queues a command as if it had come from the window system.
void postCommand(const ShowCommand& command);
// Asks the loop to end with `code` at its next poll.
void postQuit(int code);

// The folder of the running program with a trailing separator, or "" when unknown.
std::string executableFolder();
// Shuts the window system's library down at the end of the program.
void stopPlatform();
