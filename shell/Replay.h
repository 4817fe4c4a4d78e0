#pragma once

// Live play returns to the state start-up leaves before the scenes prepare, so that a seek or a
// loop replays from what a fresh run has at that moment.

// Keeps GL's state as it is now (start-up done, the scenes not prepared yet), once.
void keepStartState();
// Puts GL's state, the projection and the light back as they were kept; the scenes are then to
// be prepared again. False when nothing was kept.
bool returnToStartState();
// Gives the kept state up (live play has ended).
void releaseStartState();
