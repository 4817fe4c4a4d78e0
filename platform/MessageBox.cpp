#include "platform/MessageBox.h"

#include <cstdio>
#include <string>

namespace {
bool dialogsAllowed = false;
}

void allowDialogs(bool interactive) { dialogsAllowed = interactive; }

void showMessage(const char* text, const char* caption) {
  std::string oneLine(text ? text : "");
  for (char& c : oneLine)
    if (c == '\n') c = ' ';
  std::fprintf(stderr, "kelvarn: %s: %s\n", caption ? caption : "", oneLine.c_str());
  std::fflush(stderr);
  if (dialogsAllowed) showErrorDialog(text ? text : "", caption ? caption : "");
}
