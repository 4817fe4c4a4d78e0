#pragma once
#include "shell/Options.h"

// The whole show rendered offscreen through the real frame loop and pump at a fixed rate of
// virtual time, with GL error checks on: reports the frames drawn, the GL errors, the moment
// the quit came and the process's memory minute by minute.
int soakShow(const Options& options);
