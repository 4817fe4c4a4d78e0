#pragma once

// The memory this process holds in RAM (resident set, or working set on Windows) in KiB;
// -1 when the system does not say.
long residentMemoryKb();

// Keeps memory the process frees for its own later use instead of handing it back to the
// system at once. A software rasteriser allocates and frees large blocks for every frame;
// handed back, each one comes back as fresh zeroed pages, many page faults a frame. Returns
// whether the allocator took the setting.
bool keepFreedMemory();
