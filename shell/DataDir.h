#pragma once
#include <string>
#include <vector>

// The show reads its pictures and music by paths relative to the working directory. When the
// working directory has no data/ folder, move into the first of the candidates that has one
// (the executable's own folder, then the share folder beside an installed program, in the
// plain layout or in the games one, then the share folder it was built for). Returns the folder used, "." for the working directory, or ""
// if none has data/ (the show then plays with what it can find).
std::string enterDataFolder(const std::vector<std::string>& candidates);
