#pragma once
#include "shell/Options.h"

#include <cstdint>
#include <vector>

// The project's benchmark: every slot rendered offscreen without vsync, frames spread evenly
// over it, each frame timed to completion on the GPU.
int benchShow(const Options& options);

struct FrameStats {
  double mean = 0, median = 0, p95 = 0, fps = 0;
};
FrameStats frameStats(std::vector<double> ms);

// One frame at `elapsed` ms, timed to completion.
double timedBenchFrame(uint32_t elapsed);
// The renderer drawing: "gl1", "core" or "es".
const char* benchRendererName();
// The glow's path, as the table's footer names it; `compare` for --compare's two in turn.
const char* benchGlowPath(bool compare);
