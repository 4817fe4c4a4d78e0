#include "platform/Files.h"

#include <windows.h>

namespace {
std::string lastError() {
  char text[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           GetLastError(), 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) text[--n] = 0;
  return n ? text : "unknown error";
}
}  // namespace

bool isFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool makeWritableFolder(const std::string& path, std::string* why) {
  if (!isFolder(path) && !CreateDirectoryA(path.c_str(), nullptr)) {
    *why = "cannot make the folder " + path + ": " + lastError();
    return false;
  }
  // A file made and dropped again is the one sure test of a folder's write access.
  char probe[MAX_PATH];
  if (!GetTempFileNameA(path.c_str(), "kel", 0, probe)) {
    *why = "cannot write into " + path + ": " + lastError();
    return false;
  }
  DeleteFileA(probe);
  return true;
}

bool canWriteFile(const std::string& path, std::string* why) {
  bool existed = pathExists(path);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *why = "cannot write " + path + ": " + lastError();
    return false;
  }
  CloseHandle(h);
  if (!existed) DeleteFileA(path.c_str());
  return true;
}

bool enterFolder(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

std::string absolutePath(const std::string& path) {
  // "C:\x", "C:x", "\\server\share", "\x" and "/x" all name a place without the working folder.
  bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
  bool drive = path.size() >= 2 && path[1] == ':';
  if (path.empty() || rooted || drive) return path;
  DWORD n = GetCurrentDirectoryA(0, nullptr);
  if (n == 0) return path;
  std::string dir(n, '\0');
  n = GetCurrentDirectoryA(n, &dir[0]);
  if (n == 0 || n >= dir.size()) return path;
  dir.resize(n);
  char last = dir.back();
  return dir + (last == '\\' || last == '/' ? "" : "\\") + path;
}
