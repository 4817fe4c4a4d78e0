#include "platform/Process.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

namespace {
// The environment block for CreateProcess: ours, without the names `environment` sets, then
// those entries.
std::string environmentBlock(const std::vector<std::string>& environment) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* e = strings; e && *e; e += std::strlen(e) + 1) {
    bool replaced = false;
    for (const std::string& add : environment)
      replaced = replaced || _strnicmp(e, add.c_str(), add.find('=') + 1) == 0;
    if (!replaced) block.append(e, std::strlen(e) + 1);
  }
  if (strings) FreeEnvironmentStringsA(strings);
  for (const std::string& add : environment) block.append(add.c_str(), add.size() + 1);
  block += '\0';
  return block;
}

// Starts args[0] in its own process group with its standard input from a pipe and, where
// `answers`, its standard output into a second one.
bool spawnPiped(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                bool answers, ChildProcess& child) {
  if (args.empty()) return false;
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE readEnd = nullptr, writeEnd = nullptr, answerRead = nullptr, answerWrite = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 20)) return false;
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);  // only the reading end goes over
  if (answers) {
    if (!CreatePipe(&answerRead, &answerWrite, &inherit, 1 << 16)) {
      CloseHandle(readEnd);
      CloseHandle(writeEnd);
      return false;
    }
    SetHandleInformation(answerRead, HANDLE_FLAG_INHERIT, 0);
  }

  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line += ' ';
    appendQuoted(line, args[i]);
  }
  std::string block = environment.empty() ? std::string() : environmentBlock(environment);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = answers ? answerWrite : GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  // Its own process group: Ctrl-C in the console reaches the show only. No console window of
  // its own either; its messages go to ours, if there is one.
  BOOL started = CreateProcessA(args[0].c_str(), &line[0], nullptr, nullptr, TRUE,
                                CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW,
                                block.empty() ? nullptr : &block[0], nullptr, &startup, &info);
  CloseHandle(readEnd);
  if (answers) CloseHandle(answerWrite);
  if (!started) {
    CloseHandle(writeEnd);
    if (answers) CloseHandle(answerRead);
    return false;
  }
  CloseHandle(info.hThread);
  child.process = reinterpret_cast<intptr_t>(info.hProcess);
  child.input = reinterpret_cast<intptr_t>(writeEnd);
  child.output = answers ? reinterpret_cast<intptr_t>(answerRead) : -1;
  return true;
}

bool readAll(HANDLE from, unsigned char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(from, data, chunk, &got, nullptr) || got == 0) return false;  // the writer is gone
    data += got;
    size -= got;
  }
  return true;
}

bool writeAll(HANDLE to, const unsigned char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(to, data, chunk, &written, nullptr)) return false;  // the reader is gone
    data += written;
    size -= written;
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
  return child.output != -1 && readAll(reinterpret_cast<HANDLE>(child.output), data, size);
}

bool writeToProcess(ChildProcess& child, const unsigned char* data, size_t size) {
  return child.input != -1 && writeAll(reinterpret_cast<HANDLE>(child.input), data, size);
}

ChildEnd finishProcess(ChildProcess& child) {
  ChildEnd end;
  if (child.input != -1) CloseHandle(reinterpret_cast<HANDLE>(child.input));
  child.input = -1;
  if (child.output != -1) CloseHandle(reinterpret_cast<HANDLE>(child.output));
  child.output = -1;
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

bool takeParentLine(ParentLine& line) {
  HANDLE self = GetCurrentProcess(), in = nullptr, out = nullptr;
  if (!DuplicateHandle(self, GetStdHandle(STD_INPUT_HANDLE), self, &in, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return false;
  if (!DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &out, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    CloseHandle(in);
    return false;
  }
  std::fflush(stdout);
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  _dup2(_fileno(stderr), _fileno(stdout));
  line.input = reinterpret_cast<intptr_t>(in);
  line.output = reinterpret_cast<intptr_t>(out);
  return true;
}

bool readFromParent(ParentLine& line, unsigned char* data, size_t size) {
  return line.input != -1 && readAll(reinterpret_cast<HANDLE>(line.input), data, size);
}

bool writeToParent(ParentLine& line, const unsigned char* data, size_t size) {
  return line.output != -1 && writeAll(reinterpret_cast<HANDLE>(line.output), data, size);
}

std::string ownProgramPath() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(self, n) : std::string();
}
