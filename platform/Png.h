#pragma once
#include <string>
#include <vector>

// Writes 8-bit RGB rows (top row first) as a PNG. False, with the reason on stderr, on failure.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgb);
// Reads a PNG as 8-bit RGB rows (top row first). False, with the reason on stderr, on failure.
bool readPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb);
