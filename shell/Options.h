#pragma once
#include "platform/Display.h"
#include "platform/Gl.h"
#include "shell/Timeline.h"

#include <cstddef>
#include <cstdint>
#include <string>

// What one run of the program does. Play is the show as it always plays; the others are
// additions chosen on the command line, one at a time.
enum class RunMode {
  Play,     // live, full screen, with music, in real time
  Seek,     // live play from seekMs
  Shot,     // one frame to a PNG
  Capture,  // the show offline to a video file, or a folder of PNGs and a WAV
  Bench,    // every scene timed offscreen
  Soak,     // the whole show offscreen through the frame loop, GL errors checked
};

// The moment of the show's last frame: the first one past its end.
constexpr uint32_t lastFrameMs = showLengthMs + 1;

// Command-line options. With none, the show plays as it always has: full screen, with music,
// in real time. Every option is an addition.
struct Options {
  RunMode run = RunMode::Play;
  DisplayMode mode = DisplayMode::Desktop;
  bool vsync = true;
  bool help = false;
  uint32_t shotMs = 0;
  std::string shotFile;
  uint32_t stepMs = 100;  // catch-up step inside the target slot
  uint32_t seekMs = 0;
  std::string captureFile;
  bool lossless = false;  // --capture to .mkv: every pixel kept (FFV1) and the sound as FLAC
  uint32_t fpsNum = 60;
  uint32_t fpsDen = 1;
  uint32_t fromMs = 0;
  uint32_t toMs = lastFrameMs;
  uint32_t benchFrames = 60;
  std::string benchJson;
  bool benchCompare = false;  // --bench on both glow paths, frame by frame in turn
  // --bench against another renderer ("gl1", "core" or "es") drawing in a second process,
  // frame by frame in turn; empty for none.
  std::string benchCompareRenderer;
  bool reportStartup = false;
  bool glCheck = false;  // glGetError after start-up and every frame (also KELVARN_GL_CHECK=1)
  bool loop = false;           // live play starts again from 0 after the end, until Escape
  bool osd = true;             // live play shows a line of what a key did
  bool fixedFunction = false;  // the glow's GL 1.1 path even where GLSL is offered
  GlRenderer renderer = GlRenderer::Reference;  // which GL draws every scene (--renderer)
  // The frame's size: 0 x 0 is the default (the display's own for live play on a GPU, else
  // 800 x 600); nativeResolution asks for the display's own size.
  int resolutionWidth = 0;
  int resolutionHeight = 0;
  bool nativeResolution = false;
};

// The smallest frame --resolution accepts.
constexpr int minFrameWidth = 320;
constexpr int minFrameHeight = 240;

// One command-line option: its name, the values it takes, its --help text and what it sets.
struct OptionRow {
  const char* name;    // "--shot"
  const char* values;  // "MS FILE.png", or "" for a switch
  int valueCount;
  bool underMode;  // shown indented under the mode it serves
  // --help's text, lines split by '\n'; {length} and {last} stand for the show's length and
  // the moment of its last frame.
  const char* help;
  // Takes the values; false with a one-line reason in *error when they cannot be used.
  bool (*apply)(Options& options, char** values, std::string* error);
};
// Every option, in --help's order.
const OptionRow* optionRows(size_t* count);

// False with a one-line reason in *error when the command line cannot be used.
bool parseOptions(int argc, char** argv, Options& options, std::string* error);
std::string optionsHelp();
