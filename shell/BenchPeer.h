#pragma once
// --bench --compare-renderer: renderers need GL contexts of their own and every scene keeps its
// GL names in globals, so the other renderer draws in a second process of this program. The two
// take turns frame by frame: this one sends a moment, the other draws it and answers with its
// time, so that both run under the same load and neither draws while the other is timed.
#include "platform/Process.h"
#include "shell/Options.h"

#include <cstdint>
#include <string>

// What the other process says about itself once it has drawn its last frame.
struct PeerReport {
  std::string renderer;  // "core"
  std::string gl;        // its GL_RENDERER
  std::string glowPath;
  double preparationMs = 0;
  double firstFrameMs = 0;  // process start to first frame
};

struct BenchPeer {
  ChildProcess child;
  std::string renderer;
};

// Starts the other process on `options.benchCompareRenderer` at this frame size, with this
// process's --fixed-function and --gl-check, and waits until it has prepared every scene and
// drawn its first frame. False, after saying why on stderr, if it ends before that.
bool startBenchPeer(const Options& options, int frameWidth, int frameHeight, BenchPeer& peer);
// The other process draws the frame at `elapsed`; its time in ms, or -1 if it has ended.
double peerFrame(BenchPeer& peer, uint32_t elapsed);
// Tells the other process it is done, takes its report and waits for it to end. False, after
// saying why on stderr, if it did not end well.
bool finishBenchPeer(BenchPeer& peer, PeerReport* report);

// The other side. True when this process was started as the other renderer's process.
bool startedAsBenchPeer();
// Prepares the show, then draws the moments the first process asks for, answering each with
// its time. Returns the exit status.
int serveBenchPeer(const Options& options);
