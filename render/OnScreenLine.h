#pragma once

// One short line of text over the finished picture, at its bottom-left corner: white letters
// ringed in black, legible over bright and dark frames alike, at the picture's scale. What lies
// under the line is kept, so the line can be changed or taken away again on a picture that is
// not drawn anew (a paused show). Every call leaves GL's state as it found it.

// Draws the line over the picture, taking away the one drawn before if it is still there.
void showOnScreenLine(const char* text);
// Takes the line away, putting back what was under it.
void hideOnScreenLine();
// The picture has been drawn anew: no line is on it any more.
void forgetOnScreenLine();
// Frees the font and the kept strip (while the GL context is current).
void releaseOnScreenLine();
