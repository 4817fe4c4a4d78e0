#pragma once
// Runs the built program as a child process and collects what it left behind.
#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status, or -1 if it did not exit normally
  std::string err;
  std::string out;
};

// `command` is a shell command line; KELVARN stands for the built program.
ProgramResult runKelvarn(const std::string& command);
std::string testTmp(const std::string& name);
// 8-bit RGB pixels of a PNG, top row first; empty if it cannot be read.
std::vector<unsigned char> readPngRgb(const std::string& path, int* width, int* height);
