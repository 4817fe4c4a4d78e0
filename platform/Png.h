#pragma once
#include <string>

// Writes 8-bit RGB rows (top row first) as a PNG. False, with the reason on stderr, on failure.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgb);
