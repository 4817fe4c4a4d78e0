#pragma once
#include "shell/Options.h"

// One frame rendered offscreen and written as a PNG.
int renderShot(const Options& options);
