#pragma once

// Start-up preparation, run once with the GL context current before any scene prepares:
// the timeline, the GL defaults every scene takes for granted, the light and the shared lists.
void prepareStartup();
// Every scene's mode-0 call, in slot order.
void prepareScenes();
