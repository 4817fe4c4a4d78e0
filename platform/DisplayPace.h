#pragma once
// Pacing the frame loop to the display. On a desktop the buffer swap waits for the display's
// refresh (with vsync) and this returns at once. In a browser nothing may wait: control goes
// back to the page until its next animation frame, which shows the picture and lets the page
// play sound and take keys meanwhile.
void awaitNextRefresh();
