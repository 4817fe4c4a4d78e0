#include "platform/Files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

bool isFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool makeWritableFolder(const std::string& path, std::string* why) {
  if (!isFolder(path) && mkdir(path.c_str(), 0755) != 0) {
    *why = "cannot make the folder " + path + ": " + std::strerror(errno);
    return false;
  }
  if (access(path.c_str(), W_OK) != 0) {
    *why = "cannot write into " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool canWriteFile(const std::string& path, std::string* why) {
  bool existed = pathExists(path);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  if (fd < 0) {
    *why = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  close(fd);
  if (!existed) unlink(path.c_str());
  return true;
}

bool enterFolder(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::vector<char> here(4096);
  while (!getcwd(here.data(), here.size())) {
    if (errno != ERANGE || here.size() > (1u << 20)) return path;  // left as the user gave it
    here.resize(here.size() * 2);
  }
  std::string dir = here.data();
  return dir + (dir.back() == '/' ? "" : "/") + path;
}
