#pragma once

// Reports a failure the way the show always has: a dialog with a caption, but only in an
// interactive run on a real display; the text always goes to stderr as well.
void showMessage(const char* text, const char* caption);
void allowDialogs(bool interactive);
// The system's own error dialog, text and caption never null (MessageBoxLinux.cpp,
// MessageBoxWindows.cpp); showMessage calls it when dialogs are allowed.
void showErrorDialog(const char* text, const char* caption);
