#pragma once

// Milliseconds since this process started (the kernel's own start time, 10 ms resolution).
double msSinceProcessStart();
// A steady clock in milliseconds, for measuring work.
double steadyMs();
