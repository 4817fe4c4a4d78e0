#pragma once
#include "shell/Options.h"

#include <vector>

// The project's benchmark: every slot rendered offscreen without vsync, frames spread evenly
// over it, each frame timed to completion on the GPU.
int benchShow(const Options& options);

struct FrameStats {
  double mean = 0, median = 0, p95 = 0, fps = 0;
};
FrameStats frameStats(std::vector<double> ms);
