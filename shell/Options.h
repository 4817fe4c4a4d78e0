#pragma once
#include "platform/Display.h"

#include <cstdint>
#include <string>

// Command-line options. With none, the show plays as it always has: full screen, with music,
// in real time. Every option is an addition.
struct Options {
  DisplayMode mode = DisplayMode::Desktop;
  bool vsync = true;
  bool help = false;
  bool shot = false;  // render one frame to a PNG and exit
  uint32_t shotMs = 0;
  std::string shotFile;
  uint32_t stepMs = 100;  // catch-up step inside the target slot
  bool seek = false;      // play live from seekMs
  uint32_t seekMs = 0;
  bool capture = false;   // render offline to a video file (or a folder of PNGs plus a WAV)
  std::string captureFile;
  bool lossless = false;  // --capture to .mkv: every pixel kept (FFV1) and the sound as FLAC
  uint32_t fpsNum = 60;
  uint32_t fpsDen = 1;
  uint32_t fromMs = 0;
  uint32_t toMs = 242301;  // the show's last frame
  bool bench = false;
  uint32_t benchFrames = 60;
  std::string benchJson;
  bool benchCompare = false;  // --bench on both glow paths, frame by frame in turn
  bool reportStartup = false;
  bool soak = false;  // the whole show offscreen through the frame loop, at --fps of virtual time
  bool glCheck = false;  // glGetError after start-up and every frame (also KELVARN_GL_CHECK=1)
  bool loop = false;           // live play starts again from 0 after the end, until Escape
  bool fixedFunction = false;  // the glow's GL 1.1 path even where GLSL is offered
  // The frame's size: 0 x 0 is the default (the display's own for live play on a GPU, else
  // 800 x 600); nativeResolution asks for the display's own size.
  int resolutionWidth = 0;
  int resolutionHeight = 0;
  bool nativeResolution = false;
};

// The smallest frame --resolution accepts.
constexpr int minFrameWidth = 320;
constexpr int minFrameHeight = 240;

// False with a one-line reason in *error when the command line cannot be used.
bool parseOptions(int argc, char** argv, Options& options, std::string* error);
const char* optionsHelp();
