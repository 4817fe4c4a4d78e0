#include "platform/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

bool startPipedProcess(const std::vector<std::string>& args, ChildProcess& child) {
  if (args.empty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  std::vector<char*> argv;
  for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[0]);
  if (pid < 0) {
    close(fds[1]);
    return false;
  }
  child.process = pid;
  child.input = fds[1];
  return true;
}

bool writeToProcess(ChildProcess& child, const unsigned char* data, size_t size) {
  if (child.input < 0) return false;
  while (size > 0) {
    ssize_t n = write(static_cast<int>(child.input), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

ChildEnd finishProcess(ChildProcess& child) {
  ChildEnd end;
  if (child.input >= 0) close(static_cast<int>(child.input));
  child.input = -1;
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
