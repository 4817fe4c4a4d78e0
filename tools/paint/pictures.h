// The five pictures of the show, each painted from scratch.
#pragma once

#include "tools/paint/image_kit.h"

#include <string>

// A hole the opening scene cuts into a logo (image pixels from the top-left).
struct HoleSpot {
    double x, y, radius;
};

Image paintLogo1();   // 800 x 600, holes in the upper right, cool steel
Image paintLogo2();   // 800 x 600, holes in the lower left, warm brass
Image paintSphere();  // 256 x 256 mirrored-ball environment
Image paintTunnelGlow();  // 256 x 256 seamless, thin bright traces on black
Image paintTunnelWall();  // 256 x 256 seamless, panels, ribs and rivets

const HoleSpot* logo1Holes();  // three entries
const HoleSpot* logo2Holes();  // three entries

// The application icon, size x size pixels with transparent corners, written as a PNG.
bool paintIcon(const std::string& path, int size);
