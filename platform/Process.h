#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Another program run beside the show with its standard input fed through a pipe (the encoder
// of a capture). It runs in its own process group, so Ctrl-C reaches only the show, which then
// closes the pipe and lets the program finish its output.
struct ChildProcess {
  intptr_t process = -1;  // the system's id or handle; -1 while none runs
  intptr_t input = -1;    // our end of its standard input
};

struct ChildEnd {
  bool exited = false;  // it ended by itself, with `status`
  int status = -1;
  bool killed = false;  // a signal ended it
};

// The full path of a program: on Windows NAME.exe beside this program's own exe, then on PATH;
// elsewhere an executable NAME on PATH. Empty if there is none.
std::string findProgram(const char* name);
// Starts args[0] with the arguments that follow; its output goes where ours goes.
bool startPipedProcess(const std::vector<std::string>& args, ChildProcess& child);
// Writes all the bytes into its input; false once the pipe is broken (the program has ended).
bool writeToProcess(ChildProcess& child, const unsigned char* data, size_t size);
// Closes its input and waits for it to end.
ChildEnd finishProcess(ChildProcess& child);

// From now on Ctrl-C (and a request to terminate) only sets the flag that stopRequested reads,
// and a broken pipe shows as a failed write instead of ending the show.
void catchStopRequests();
bool stopRequested();
