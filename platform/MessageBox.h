#pragma once

// Reports a failure the way the show always has: a dialog with a caption, but only in an
// interactive run on a real display; the text always goes to stderr as well.
void showMessage(const char* text, const char* caption);
void allowDialogs(bool interactive);
