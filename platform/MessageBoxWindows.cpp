#include "platform/MessageBox.h"

#include <windows.h>

void showErrorDialog(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}
