#include "platform/Process.h"

#include <windows.h>

#include <cstdlib>

namespace {
volatile LONG stopFlag = 0;

BOOL WINAPI requestStop(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    InterlockedExchange(&stopFlag, 1);
    return TRUE;
  }
  return FALSE;
}

bool isFile(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// One argument as the C runtime's command-line parser reads it back: quoted when it holds
// blanks or quotes, with the backslashes before a quote doubled.
void appendQuoted(std::string& line, const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += arg;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') line.append(backslashes * 2 + 1, '\\');
    else line.append(backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}
}  // namespace

std::string findProgram(const char* name) {
  std::string file = std::string(name) + ".exe";
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    std::string dir(self, n);
    size_t slash = dir.find_last_of("\\/");
    if (slash != std::string::npos && isFile(dir.substr(0, slash + 1) + file))
      return dir.substr(0, slash + 1) + file;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  size_t start = 0;
  while (start < dirs.size()) {
    size_t end = dirs.find(';', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
      if (isFile(dir + file)) return dir + file;
    }
    start = end + 1;
  }
  return "";
}

bool startPipedProcess(const std::vector<std::string>& args, ChildProcess& child) {
  if (args.empty()) return false;
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 20)) return false;
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);  // only the reading end goes over

  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += ' ';
    appendQuoted(line, args[i]);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  // Its own process group: Ctrl-C in the console reaches the show only. No console window of
  // its own either; its messages go to ours, if there is one.
  BOOL started = CreateProcessA(args[0].c_str(), &line[0], nullptr, nullptr, TRUE,
                                CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW, nullptr, nullptr,
                                &startup, &info);
  CloseHandle(readEnd);
  if (!started) {
    CloseHandle(writeEnd);
    return false;
  }
  CloseHandle(info.hThread);
  child.process = reinterpret_cast<intptr_t>(info.hProcess);
  child.input = reinterpret_cast<intptr_t>(writeEnd);
  return true;
}

bool writeToProcess(ChildProcess& child, const unsigned char* data, size_t size) {
  if (child.input == -1) return false;
  HANDLE pipe = reinterpret_cast<HANDLE>(child.input);
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(pipe, data, chunk, &written, nullptr)) return false;  // the reader is gone
    data += written;
    size -= written;
  }
  return true;
}

ChildEnd finishProcess(ChildProcess& child) {
  ChildEnd end;
  if (child.input != -1) CloseHandle(reinterpret_cast<HANDLE>(child.input));
  child.input = -1;
  if (child.process == -1) return end;
  HANDLE process = reinterpret_cast<HANDLE>(child.process);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(process, &code)) {
    end.exited = true;
    end.status = static_cast<int>(code);
  }
  CloseHandle(process);
  child.process = -1;
  return end;
}

// A broken pipe only fails the write on Windows; nothing to do for it.
void catchStopRequests() { SetConsoleCtrlHandler(requestStop, TRUE); }

bool stopRequested() { return InterlockedCompareExchange(&stopFlag, 0, 0) != 0; }
