#pragma once

// The memory this process holds in RAM (resident set, or working set on Windows) in KiB;
// -1 when the system does not say.
long residentMemoryKb();
