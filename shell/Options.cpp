#include "shell/Options.h"

#include "shell/Timeline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

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

bool parseRate(const char* text, uint32_t* num, uint32_t* den) {
  std::string s(text ? text : "");
  size_t slash = s.find('/');
  uint32_t n = 0, d = 1;
  if (!parseMs(s.substr(0, slash).c_str(), 1000000, &n)) return false;
  if (slash != std::string::npos && !parseMs(s.substr(slash + 1).c_str(), 1000000, &d)) return false;
  if (n == 0 || d == 0 || n > 1000ull * d) return false;
  *num = n;
  *den = d;
  return true;
}
// "WxH" with both sides at least the least frame, or "native".
bool parseResolution(const char* text, Options& o, std::string* error) {
  std::string s(text ? text : "");
  if (s == "native") {
    o.nativeResolution = true;
    o.resolutionWidth = o.resolutionHeight = 0;
    return true;
  }
  size_t x = s.find_first_of("xX");
  uint32_t w = 0, h = 0;
  if (x == std::string::npos || !parseMs(s.substr(0, x).c_str(), 100000, &w) ||
      !parseMs(s.substr(x + 1).c_str(), 100000, &h)) {
    *error = "--resolution needs a size such as 1920x1080, or native, not '" + s + "'";
    return false;
  }
  if (w < uint32_t(minFrameWidth) || h < uint32_t(minFrameHeight)) {
    *error = "--resolution " + s + " is too small: each side must be at least " +
             std::to_string(minFrameWidth) + "x" + std::to_string(minFrameHeight);
    return false;
  }
  o.nativeResolution = false;
  o.resolutionWidth = int(w);
  o.resolutionHeight = int(h);
  return true;
}
}  // namespace

const char* optionsHelp() {
  return "usage: kelvarn [options]\n"
         "With no options the show plays full screen with its music and quits by itself.\n"
         "  --windowed          a borderless window at the top-left corner (resizable), 800 x 600\n"
         "                      or the --resolution given\n"
         "  --mode-switch       switch the display itself to 800 x 600 (or the --resolution\n"
         "                      given) instead of scaling\n"
         "  --resolution WxH    draw frames of W x H pixels: the show in the largest 4:3 area,\n"
         "                      centred, black bars around; every mode (window, --shot,\n"
         "                      --capture, --bench, --soak). native: the display's own size.\n"
         "                      Default: native for live play on a GPU, 800x600 on a software\n"
         "                      renderer (llvmpipe, softpipe, swrast) and offscreen\n"
         "  --no-vsync          do not wait for the display's refresh between frames\n"
         "  --shot MS FILE.png  render the frame shown at MS milliseconds to a PNG (800 x 600\n"
         "                      or the --resolution given) and exit; needs no display\n"
         "  --step MS           catch-up step inside the target scene for --shot (default 100)\n"
         "  --seek MS           play live from MS milliseconds, the music too\n"
         "  --loop              start again from 0 after the end, until Escape\n"
         "  --capture FILE      render the show offline to FILE (.mp4 or .mkv: H.264 and AAC;\n"
         "                      an existing folder or a name ending in /: PNG frames and a WAV)\n"
         "    --lossless        FILE.mkv keeps every pixel: FFV1 RGB and FLAC, for archiving\n"
         "    --fps N           frames per second of the capture (default 60; N/D allowed,\n"
         "                      e.g. 60000/1001)\n"
         "    --from MS         first moment captured (default 0)\n"
         "    --to MS           last moment captured (default 242301, the last frame)\n"
         "  --bench             time every scene offscreen without vsync and print a table\n"
         "    --frames N        frames timed per scene (default 60)\n"
         "    --bench-json FILE the same figures as JSON\n"
         "    --compare         time every frame twice, with shaders and --fixed-function in\n"
         "                      turn, and print both tables and each slot's ratio\n"
         "  --soak              the whole show offscreen through the frame loop at --fps\n"
         "                      (default 60) of virtual time, GL errors checked, memory reported\n"
         "  --report-startup    print the time from process start to the first frame, and the\n"
         "                      sizes of the picture and the frame\n"
         "  --gl-check          report every GL error after start-up and each frame, with the\n"
         "                      scene and its time (also KELVARN_GL_CHECK=1)\n"
         "  --fixed-function    draw as the original GL 1.1 program: the glow without shaders,\n"
         "                      text from glyph bitmaps every frame (no cached text)\n"
         "  --help              this text\n"
         "Keys while playing: Space pause/resume, Left/Right 5 s back/forward, Page Up/Down\n"
         "the previous/next scene, Home start over, F11 or Alt+Enter full screen/window,\n"
         "Escape quit.\n";
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
    } else if (!std::strcmp(a, "--seek")) {
      if (!need(1)) return false;
      if (!parseMs(argv[i + 1], showLengthMs, &o.seekMs)) {
        *error = "--seek needs a time in milliseconds from 0 to 242300, not '" +
                 std::string(argv[i + 1]) + "'";
        return false;
      }
      o.seek = true;
      ++i;
    } else if (!std::strcmp(a, "--capture")) {
      if (!need(1)) return false;
      o.capture = true;
      o.captureFile = argv[++i];
      if (o.captureFile.empty()) {
        *error = "--capture needs a file name";
        return false;
      }
    } else if (!std::strcmp(a, "--lossless")) {
      o.lossless = true;
    } else if (!std::strcmp(a, "--fps")) {
      if (!need(1)) return false;
      if (!parseRate(argv[i + 1], &o.fpsNum, &o.fpsDen)) {
        *error = "--fps needs a rate such as 60 or 60000/1001 (1 to 1000 frames a second), not '" +
                 std::string(argv[i + 1]) + "'";
        return false;
      }
      ++i;
    } else if (!std::strcmp(a, "--from") || !std::strcmp(a, "--to")) {
      if (!need(1)) return false;
      uint32_t* to = a[2] == 'f' ? &o.fromMs : &o.toMs;
      if (!parseMs(argv[i + 1], showLengthMs + 1, to)) {
        *error = std::string(a) + " needs a time in milliseconds from 0 to 242301, not '" +
                 argv[i + 1] + "'";
        return false;
      }
      ++i;
    } else if (!std::strcmp(a, "--bench")) {
      o.bench = true;
    } else if (!std::strcmp(a, "--frames")) {
      if (!need(1)) return false;
      if (!parseMs(argv[i + 1], 100000, &o.benchFrames) || o.benchFrames < 2) {
        *error = "--frames needs a count from 2 to 100000, not '" + std::string(argv[i + 1]) + "'";
        return false;
      }
      ++i;
    } else if (!std::strcmp(a, "--bench-json")) {
      if (!need(1)) return false;
      o.benchJson = argv[++i];
    } else if (!std::strcmp(a, "--compare")) {
      o.benchCompare = true;
    } else if (!std::strcmp(a, "--loop")) {
      o.loop = true;
    } else if (!std::strcmp(a, "--soak")) {
      o.soak = true;
    } else if (!std::strcmp(a, "--gl-check")) {
      o.glCheck = true;
    } else if (!std::strcmp(a, "--fixed-function")) {
      o.fixedFunction = true;
    } else if (!std::strcmp(a, "--resolution")) {
      if (!need(1)) return false;
      if (!parseResolution(argv[++i], o, error)) return false;
    } else if (!std::strcmp(a, "--report-startup")) {
      o.reportStartup = true;
    } else {
      *error = std::string("unknown option '") + a + "' (see --help)";
      return false;
    }
  }
  const char* check = std::getenv("KELVARN_GL_CHECK");
  if (check && *check && std::strcmp(check, "0") != 0) o.glCheck = true;
  int modes = int(o.shot) + int(o.capture) + int(o.bench) + int(o.seek) + int(o.soak);
  if (modes > 1) {
    *error = "--shot, --capture, --bench, --soak and --seek cannot be combined";
    return false;
  }
  if (o.benchCompare && (!o.bench || o.fixedFunction)) {
    *error = "--compare goes with --bench, and without --fixed-function (it times both paths)";
    return false;
  }
  const std::string& file = o.captureFile;
  if (o.lossless && (!o.capture || file.size() < 4 || file.compare(file.size() - 4, 4, ".mkv"))) {
    *error = "--lossless goes with --capture FILE.mkv";
    return false;
  }
  if (o.capture && o.fromMs > o.toMs) {
    *error = "--from must not be later than --to";
    return false;
  }
  if (o.shot || o.capture || o.bench || o.soak) o.mode = DisplayMode::Offscreen;
  if (o.bench) o.vsync = false;
  return true;
}
