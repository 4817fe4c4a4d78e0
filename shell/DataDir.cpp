#include "shell/DataDir.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {
bool hasDataFolder(const std::string& dir) {
  struct stat st {};
  std::string path = dir.empty() ? std::string("data") : dir + "/data";
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::string enterDataFolder(const std::vector<std::string>& candidates) {
  if (hasDataFolder("")) return ".";
  for (const std::string& dir : candidates) {
    if (!dir.empty() && hasDataFolder(dir) && chdir(dir.c_str()) == 0) return dir;
  }
  return "";
}
