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
  intptr_t output = -1;   // our end of its standard output, for a program that answers
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

// A program that answers: like startPipedProcess, and its standard output comes back through a
// second pipe. `environment` adds NAME=value entries to ours (replacing ours of the same name).
bool startAnsweringProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, ChildProcess& child);
// Reads exactly `size` bytes of its output; false if it ends (or closes its output) first.
bool readFromProcess(ChildProcess& child, unsigned char* data, size_t size);

// The other side, in the program started that way: standard input and output kept as a
// private line to the parent, and stdout pointed at stderr, so that nothing printed (ours or a
// library's) can fall into the conversation. False if either is missing.
struct ParentLine {
  intptr_t input = -1;
  intptr_t output = -1;
};
bool takeParentLine(ParentLine& line);
bool readFromParent(ParentLine& line, unsigned char* data, size_t size);
bool writeToParent(ParentLine& line, const unsigned char* data, size_t size);

// The full path of this program's own executable; empty if the system does not say.
std::string ownProgramPath();

// From now on Ctrl-C (and a request to terminate) only sets the flag that stopRequested reads,
// and a broken pipe shows as a failed write instead of ending the show.
void catchStopRequests();
bool stopRequested();
