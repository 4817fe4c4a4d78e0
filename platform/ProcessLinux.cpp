#include "platform/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {
volatile sig_atomic_t stopFlag = 0;
void requestStop(int) { stopFlag = 1; }
}  // namespace

std::string findProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

namespace {
// Starts args[0] in its own process group with its standard input from a pipe and, where
// `answers`, its standard output into a second one.
bool spawnPiped(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                bool answers, ChildProcess& child) {
  if (args.empty()) return false;
  int in[2], out[2] = {-1, -1};
  if (pipe(in) != 0) return false;
  if (answers && pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  fcntl(in[1], F_SETFD, FD_CLOEXEC);
  if (answers) fcntl(out[0], F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_addclose(&actions, in[0]);
  if (answers) {
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[1]);
  }
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  std::vector<char*> argv;
  for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const std::string& add : environment) {
      size_t name = add.find('=') + 1;
      replaced = replaced || std::strncmp(*e, add.c_str(), name) == 0;
    }
    if (!replaced) envp.push_back(*e);
  }
  for (const std::string& add : environment) envp.push_back(const_cast<char*>(add.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(in[0]);
  if (answers) close(out[1]);
  if (pid < 0) {
    close(in[1]);
    if (answers) close(out[0]);
    return false;
  }
  child.process = pid;
  child.input = in[1];
  child.output = answers ? out[0] : -1;
  return true;
}

bool readAll(int fd, unsigned char* data, size_t size) {
  while (size > 0) {
    ssize_t n = read(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool writeAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

bool startPipedProcess(const std::vector<std::string>& args, ChildProcess& child) {
  return spawnPiped(args, {}, false, child);
}

bool startAnsweringProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, ChildProcess& child) {
  return spawnPiped(args, environment, true, child);
}

bool readFromProcess(ChildProcess& child, unsigned char* data, size_t size) {
  return child.output >= 0 && readAll(static_cast<int>(child.output), data, size);
}

bool writeToProcess(ChildProcess& child, const unsigned char* data, size_t size) {
  return child.input >= 0 && writeAll(static_cast<int>(child.input), data, size);
}

ChildEnd finishProcess(ChildProcess& child) {
  ChildEnd end;
  if (child.input >= 0) close(static_cast<int>(child.input));
  child.input = -1;
  if (child.output >= 0) close(static_cast<int>(child.output));
  child.output = -1;
  if (child.process < 0) return end;
  int status = 0;
  pid_t pid = static_cast<pid_t>(child.process);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  child.process = -1;
  end.exited = WIFEXITED(status);
  end.status = end.exited ? WEXITSTATUS(status) : -1;
  end.killed = WIFSIGNALED(status);
  return end;
}

void catchStopRequests() {
  signal(SIGPIPE, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = requestStop;
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
}

bool stopRequested() { return stopFlag != 0; }

bool takeParentLine(ParentLine& line) {
  int in = dup(0), out = dup(1);
  if (in < 0 || out < 0) {
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    return false;
  }
  fcntl(in, F_SETFD, FD_CLOEXEC);
  fcntl(out, F_SETFD, FD_CLOEXEC);
  std::fflush(stdout);
  dup2(2, 1);
  signal(SIGPIPE, SIG_IGN);  // a parent gone shows as a failed write
  line.input = in;
  line.output = out;
  return true;
}

bool readFromParent(ParentLine& line, unsigned char* data, size_t size) {
  return line.input >= 0 && readAll(static_cast<int>(line.input), data, size);
}

bool writeToParent(ParentLine& line, const unsigned char* data, size_t size) {
  return line.output >= 0 && writeAll(static_cast<int>(line.output), data, size);
}

std::string ownProgramPath() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}
