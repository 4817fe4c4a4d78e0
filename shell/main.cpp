#include "platform/Console.h"
#include "platform/Entry.h"
#include "platform/Events.h"
#include "platform/GlProcs.h"
#include "platform/Memory.h"
#include "shell/Bench.h"
#include "shell/Capture.h"
#include "shell/DataDir.h"
#include "shell/Options.h"
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
    std::fputs(optionsHelp(), stdout);
    return 0;
  }
  forceFixedFunction(options.fixedFunction);
  std::string executableDir = executableFolder();
  std::vector<std::string> dataFolders = {executableDir, KELVARN_SHARE_DIR};
  if (!executableDir.empty())
    dataFolders.insert(dataFolders.begin() + 1,
                       {executableDir + "../share/kelvarn", executableDir + "../share/games/kelvarn"});
  if (enterDataFolder(dataFolders).empty())
    std::fprintf(stderr, "kelvarn: no data/ folder found; pictures and music will be missing\n");
  int code = options.shot      ? renderShot(options)
             : options.capture ? captureShow(options)
             : options.bench   ? benchShow(options)
             : options.soak    ? soakShow(options)
                               : playShow(options);
  stopPlatform();
  return code;
}
