#pragma once
#include <string>

// The show reads its pictures and music by paths relative to the working directory. When the
// working directory has no data/ folder, move into the first folder that has one: the
// executable's own folder, then the installed share folder. Returns the folder used, or "" if
// none has data/ (the show then plays with what it can find).
std::string enterDataFolder(const std::string& executableDir, const std::string& shareDir);
