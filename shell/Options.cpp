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

// "NAME needs a time in milliseconds from 0 to MOST, not 'TEXT'" unless TEXT is one.
bool timeValue(const char* name, const char* text, uint32_t most, uint32_t* out,
               std::string* error) {
  if (parseMs(text, most, out)) return true;
  *error = std::string(name) + " needs a time in milliseconds from 0 to " + std::to_string(most) +
           ", not '" + text + "'";
  return false;
}

bool parseRenderer(const char* text, Options& o, std::string* error) {
  const struct {
    const char* name;
    GlRenderer renderer;
  } names[] = {{"gl1", GlRenderer::Reference}, {"core", GlRenderer::Core}, {"es", GlRenderer::Es}};
  for (const auto& n : names)
    if (!std::strcmp(text, n.name)) {
      o.renderer = n.renderer;
      return true;
    }
  *error = std::string("--renderer needs gl1, core or es, not '") + text + "'";
  return false;
}

bool chooseRun(Options& o, RunMode run, std::string* error) {
  if (o.run != RunMode::Play && o.run != run) {
    *error = "--shot, --capture, --bench, --soak and --seek cannot be combined";
    return false;
  }
  o.run = run;
  return true;
}

using V = char**;
using E = std::string*;

const OptionRow rows[] = {
    {"--windowed", "", 0, false,
     "a borderless window at the top-left corner (resizable), 800 x 600\n"
     "or the --resolution given",
     [](Options& o, V, E) { o.mode = DisplayMode::Windowed; return true; }},
    {"--mode-switch", "", 0, false,
     "switch the display itself to 800 x 600 (or the --resolution\n"
     "given) instead of scaling",
     [](Options& o, V, E) { o.mode = DisplayMode::ModeSwitch; return true; }},
    {"--resolution", "WxH", 1, false,
     "draw frames of W x H pixels: the show in the largest 4:3 area,\n"
     "centred, black bars around; every mode (window, --shot,\n"
     "--capture, --bench, --soak). native: the display's own size.\n"
     "Default: native for live play on a GPU, 800x600 on a software\n"
     "renderer (llvmpipe, softpipe, swrast) and offscreen",
     [](Options& o, V v, E e) { return parseResolution(v[0], o, e); }},
    {"--no-vsync", "", 0, false, "do not wait for the display's refresh between frames",
     [](Options& o, V, E) { o.vsync = false; return true; }},
    {"--no-osd", "", 0, false, "no line over the picture after a key (time, scene, paused)",
     [](Options& o, V, E) { o.osd = false; return true; }},
    {"--shot", "MS FILE.png", 2, false,
     "render the frame shown at MS milliseconds (0 to {last}) to a PNG\n"
     "(800 x 600 or the --resolution given) and exit; needs no display",
     [](Options& o, V v, E e) {
       if (!timeValue("--shot", v[0], lastFrameMs, &o.shotMs, e)) return false;
       o.shotFile = v[1];
       return chooseRun(o, RunMode::Shot, e);
     }},
    {"--step", "MS", 1, false,
     "catch-up step inside the target scene for --shot, --seek and\n"
     "--capture --from (1 to {length}; default 100)",
     [](Options& o, V v, E e) {
       if (parseMs(v[0], showLengthMs, &o.stepMs) && o.stepMs > 0) return true;
       *e = "--step needs a positive number of milliseconds up to " +
            std::to_string(showLengthMs) + ", not '" + v[0] + "'";
       return false;
     }},
    {"--seek", "MS", 1, false, "play live from MS milliseconds (0 to {length}), the music too",
     [](Options& o, V v, E e) {
       return timeValue("--seek", v[0], showLengthMs, &o.seekMs, e) &&
              chooseRun(o, RunMode::Seek, e);
     }},
    {"--loop", "", 0, false, "start again from 0 after the end, until Escape",
     [](Options& o, V, E) { o.loop = true; return true; }},
    {"--capture", "FILE", 1, false,
     "render the show offline to FILE (.mp4 or .mkv: H.264 and AAC, colours\n"
     "tagged; an existing folder or a name ending in /: PNG frames and a WAV)",
     [](Options& o, V v, E e) {
       o.captureFile = v[0];
       if (!o.captureFile.empty()) return chooseRun(o, RunMode::Capture, e);
       *e = "--capture needs a file name";
       return false;
     }},
    {"--lossless", "", 0, true,
     "with FILE.mkv: keep every pixel (FFV1 in RGB) and the sound (FLAC),\n"
     "for archiving",
     [](Options& o, V, E) { o.lossless = true; return true; }},
    {"--fps", "N", 1, true,
     "frames per second of --capture and --soak (default 60; 1 to 1000;\n"
     "N/D allowed, e.g. 60000/1001)",
     [](Options& o, V v, E e) {
       if (parseRate(v[0], &o.fpsNum, &o.fpsDen)) return true;
       *e = std::string("--fps needs a rate such as 60 or 60000/1001 (1 to 1000 frames a second), not '") +
            v[0] + "'";
       return false;
     }},
    {"--from", "MS", 1, true, "first moment captured (0 to {last}; default 0)",
     [](Options& o, V v, E e) { return timeValue("--from", v[0], lastFrameMs, &o.fromMs, e); }},
    {"--to", "MS", 1, true, "last moment captured (0 to {last}; default {last}, the last frame)",
     [](Options& o, V v, E e) { return timeValue("--to", v[0], lastFrameMs, &o.toMs, e); }},
    {"--bench", "", 0, false, "time every scene offscreen without vsync and print a table",
     [](Options& o, V, E e) { return chooseRun(o, RunMode::Bench, e); }},
    {"--frames", "N", 1, true, "frames timed per scene (2 to 100000; default 60)",
     [](Options& o, V v, E e) {
       if (parseMs(v[0], 100000, &o.benchFrames) && o.benchFrames >= 2) return true;
       *e = std::string("--frames needs a count from 2 to 100000, not '") + v[0] + "'";
       return false;
     }},
    {"--bench-json", "FILE", 1, true, "the same figures as JSON",
     [](Options& o, V v, E) { o.benchJson = v[0]; return true; }},
    {"--compare", "", 0, true,
     "time every frame twice, with shaders and --fixed-function in\n"
     "turn, and print both tables and each slot's ratio",
     [](Options& o, V, E) { o.benchCompare = true; return true; }},
    {"--compare-renderer", "R", 1, true,
     "time every frame on this renderer and on R (gl1, core or es) in\n"
     "turn, R in a second process; print both tables and each ratio",
     [](Options& o, V v, E e) {
       std::string r = v[0];
       if (r == "gl1" || r == "core" || r == "es") {
         o.benchCompareRenderer = r;
         return true;
       }
       *e = "--compare-renderer needs gl1, core or es, not '" + r + "'";
       return false;
     }},
    {"--soak", "", 0, false,
     "the whole show offscreen through the frame loop at --fps\n"
     "(default 60) of virtual time, GL errors checked, memory reported",
     [](Options& o, V, E e) { return chooseRun(o, RunMode::Soak, e); }},
    {"--report-startup", "", 0, false,
     "print the time from process start to the first frame, its steps\n"
     "(window, preparation, first frame) and the picture's and frame's sizes",
     [](Options& o, V, E) { o.reportStartup = true; return true; }},
    {"--gl-check", "", 0, false,
     "report every GL error after start-up and each frame, with the\n"
     "scene and its time (also KELVARN_GL_CHECK=1)",
     [](Options& o, V, E) { o.glCheck = true; return true; }},
    {"--fixed-function", "", 0, false,
     "draw on the GL 1.1 reference path: the glow without shaders,\n"
     "text from glyph bitmaps every frame (no cached text)",
     [](Options& o, V, E) { o.fixedFunction = true; return true; }},
    {"--renderer", "gl1|core|es", 1, false,
     "the GL that draws, in every mode: gl1, the GL 1.1 reference in a\n"
     "compatibility context (the default); core, the shader renderer in\n"
     "an OpenGL 3.3 core context; es, the same in OpenGL ES 3.0",
     [](Options& o, V v, E e) { return parseRenderer(v[0], o, e); }},
    {"--help", "", 0, false, "this text (also -h)",
     [](Options& o, V, E) { o.help = true; return true; }},
};

const OptionRow* findRow(const char* name) {
  if (!std::strcmp(name, "-h")) name = "--help";
  for (const OptionRow& r : rows)
    if (!std::strcmp(name, r.name)) return &r;
  return nullptr;
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}
}  // namespace

const OptionRow* optionRows(size_t* count) {
  *count = sizeof rows / sizeof rows[0];
  return rows;
}

std::string optionsHelp() {
  std::string out =
      "usage: kelvarn [options]\n"
      "With no options the show plays full screen with its music and quits by itself.\n";
  for (const OptionRow& r : rows) {
    std::string lead = std::string(r.underMode ? "    " : "  ") + r.name;
    if (*r.values) lead += std::string(" ") + r.values;
    const char* text = r.help;
    for (bool first = true; *text; first = false) {
      const char* end = std::strchr(text, '\n');
      std::string line(text, end ? size_t(end - text) : std::strlen(text));
      std::string column = first ? lead : "";
      if (column.size() >= 20) {  // a long name gets a line of its own
        out += column + "\n";
        column.clear();
      }
      column.resize(20, ' ');
      out += column + line + "\n";
      text = end ? end + 1 : text + line.size();
    }
  }
  out +=
      "Keys while playing: Space pause/resume, Left/Right 5 s back/forward, Page Up/Down\n"
      "the previous/next scene, Home start over, F11 or Alt+Enter full screen/window,\n"
      "Escape quit.\n";
  replaceAll(out, "{length}", std::to_string(showLengthMs));
  replaceAll(out, "{last}", std::to_string(lastFrameMs));
  return out;
}

bool parseOptions(int argc, char** argv, Options& o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const OptionRow* row = findRow(argv[i]);
    if (!row) {
      *error = std::string("unknown option '") + argv[i] + "' (see --help)";
      return false;
    }
    if (i + row->valueCount >= argc) {
      *error = std::string(argv[i]) + " needs " + (row->valueCount == 1 ? "a value" : "two values");
      return false;
    }
    if (!row->apply(o, argv + i + 1, error)) return false;
    i += row->valueCount;
  }
  const char* check = std::getenv("KELVARN_GL_CHECK");
  if (check && *check && std::strcmp(check, "0") != 0) o.glCheck = true;
  if (o.benchCompare && (o.run != RunMode::Bench || o.fixedFunction)) {
    *error = "--compare goes with --bench, and without --fixed-function (it times both paths)";
    return false;
  }
  if (o.renderer != GlRenderer::Reference && (o.fixedFunction || o.benchCompare)) {
    *error = o.fixedFunction ? "--fixed-function draws on the GL 1.1 reference path"
                             : "--compare times the GL 1.1 reference path too";
    *error += ": it goes only with --renderer gl1";
    return false;
  }
  if (!o.benchCompareRenderer.empty() && (o.run != RunMode::Bench || o.benchCompare)) {
    *error = "--compare-renderer goes with --bench, and not with --compare";
    return false;
  }
  const std::string& file = o.captureFile;
  bool mkv = file.size() >= 4 && file.compare(file.size() - 4, 4, ".mkv") == 0;
  if (o.lossless && (o.run != RunMode::Capture || !mkv)) {
    *error = "--lossless goes with --capture FILE.mkv";
    return false;
  }
  if (o.run == RunMode::Capture && o.fromMs > o.toMs) {
    *error = "--from must not be later than --to";
    return false;
  }
  bool offscreen = o.run == RunMode::Shot || o.run == RunMode::Capture ||
                   o.run == RunMode::Bench || o.run == RunMode::Soak;
  if (offscreen) o.mode = DisplayMode::Offscreen;
  if (o.run == RunMode::Bench) o.vsync = false;
  return true;
}
