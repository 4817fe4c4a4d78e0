#include "shell/DataDir.h"

#include "platform/Files.h"

namespace {
bool hasDataFolder(const std::string& dir) {
  return isFolder(dir.empty() ? std::string("data") : dir + "/data");
}
}  // namespace

std::string enterDataFolder(const std::vector<std::string>& candidates) {
  if (hasDataFolder("")) return ".";
  for (const std::string& dir : candidates) {
    if (!dir.empty() && hasDataFolder(dir) && enterFolder(dir)) return dir;
  }
  return "";
}
