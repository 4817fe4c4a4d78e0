#include "platform/Console.h"
#include "platform/Entry.h"
#include "platform/Events.h"
#include "platform/Files.h"
#include "platform/GlProcs.h"
#include "platform/Memory.h"
#include "shell/Bench.h"
#include "shell/Capture.h"
#include "shell/DataDir.h"
#include "shell/Options.h"
#include "shell/LivePlay.h"
#include "shell/Shot.h"
#include "shell/Show.h"
#include "shell/Soak.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  keepFreedMemory();
  attachConsole();
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, options, &error)) {
    std::fprintf(stderr, "kelvarn: %s\n", error.c_str());
    return exitUsage;
  }
  if (options.help) {
    std::fputs(optionsHelp().c_str(), stdout);
    return 0;
  }
  forceFixedFunction(options.fixedFunction);
  chooseGlRenderer(options.renderer);
  // Files the user names are theirs, taken from the folder the program was started in, before
  // it moves into the folder that holds data/.
  for (std::string* path : {&options.shotFile, &options.captureFile, &options.benchJson})
    *path = absolutePath(*path);
  std::string executableDir = executableFolder();
  std::vector<std::string> dataFolders = {executableDir, KELVARN_SHARE_DIR};
  if (!executableDir.empty())
    dataFolders.insert(dataFolders.begin() + 1,
                       {executableDir + "../share/kelvarn", executableDir + "../share/games/kelvarn"});
  if (enterDataFolder(dataFolders).empty())
    std::fprintf(stderr, "kelvarn: no data/ folder found; pictures and music will be missing\n");
  int code = 0;
  switch (options.run) {
    case RunMode::Shot: code = renderShot(options); break;
    case RunMode::Capture: code = captureShow(options); break;
    case RunMode::Bench: code = benchShow(options); break;
    case RunMode::Soak: code = soakShow(options); break;
    case RunMode::Play:
    case RunMode::Seek: code = playShow(options); break;
  }
  stopPlatform();
  return code;
}
