#include "shell/Options.h"

#include "shell/Timeline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
bool parseMs(const char* text, uint32_t limit, uint32_t* out) {
  if (!text || !*text || *text == '-' || *text == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > limit) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}
}  // namespace

const char* optionsHelp() {
  return "usage: kelvarn [options]\n"
         "With no options the show plays full screen with its music and quits by itself.\n"
         "  --windowed          a borderless 800 x 600 window at the top-left corner (resizable)\n"
         "  --mode-switch       switch the display itself to 800 x 600 instead of scaling\n"
         "  --no-vsync          do not wait for the display's refresh between frames\n"
         "  --shot MS FILE.png  render the frame shown at MS milliseconds to an 800 x 600 PNG\n"
         "                      and exit; needs no display\n"
         "  --step MS           catch-up step inside the target scene for --shot (default 100)\n"
         "  --help              this text\n";
}

bool parseOptions(int argc, char** argv, Options& o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    auto need = [&](int n) {
      if (i + n < argc) return true;
      *error = std::string(a) + " needs " + (n == 1 ? "a value" : "two values");
      return false;
    };
    if (!std::strcmp(a, "--windowed")) {
      o.mode = DisplayMode::Windowed;
    } else if (!std::strcmp(a, "--mode-switch")) {
      o.mode = DisplayMode::ModeSwitch;
    } else if (!std::strcmp(a, "--no-vsync")) {
      o.vsync = false;
    } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
      o.help = true;
    } else if (!std::strcmp(a, "--shot")) {
      if (!need(2)) return false;
      if (!parseMs(argv[i + 1], showLengthMs + 1, &o.shotMs)) {
        *error = "--shot needs a time in milliseconds from 0 to 242301, not '" +
                 std::string(argv[i + 1]) + "'";
        return false;
      }
      o.shot = true;
      o.shotFile = argv[i + 2];
      i += 2;
    } else if (!std::strcmp(a, "--step")) {
      if (!need(1)) return false;
      if (!parseMs(argv[i + 1], showLengthMs, &o.stepMs) || o.stepMs == 0) {
        *error = "--step needs a positive number of milliseconds, not '" +
                 std::string(argv[i + 1]) + "'";
        return false;
      }
      ++i;
    } else {
      *error = std::string("unknown option '") + a + "' (see --help)";
      return false;
    }
  }
  if (o.shot) o.mode = DisplayMode::Offscreen;
  return true;
}
