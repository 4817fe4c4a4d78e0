// Small raster kit the picture generators share: float RGB images, coverage masks
// rasterised by cairo, blurs, erosion and a JPG writer (TurboJPEG).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0;
};

Colour mixColour(Colour a, Colour b, float k);
Colour scaleColour(Colour c, float k);

// Linear 0..1 RGB, row-major, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;
};

// Coverage 0..1 per pixel.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> a;
};

Image makeImage(int width, int height, Colour fill);
Mask makeMask(int width, int height);

Colour pixelAt(const Image& img, int x, int y);
void setPixel(Image& img, int x, int y, Colour c);
float coverageAt(const Mask& m, int x, int y);             // 0 outside
float coverageWrapped(const Mask& m, int x, int y);        // wraps around the edges

// Rasterises whatever draw() paints (any colour, anti-aliased) into a mask.
// With tiled set, draw() is called nine times, shifted by the picture size, so
// shapes that cross an edge continue on the opposite side.
Mask rasterise(int width, int height, const std::function<void(cairo_t*)>& draw, bool tiled = false);

// img = img * (1 - m * opacity) + c * m * opacity
void paintMask(Image& img, const Mask& m, Colour c, float opacity = 1.0f);
// img += c * m
void addMask(Image& img, const Mask& m, Colour c);
// Per-pixel colour under a mask.
void paintMaskWith(Image& img, const Mask& m, const std::function<Colour(int, int)>& colourAt,
                   float opacity = 1.0f);

Mask multiplyMasks(const Mask& a, const Mask& b);
Mask subtractMask(const Mask& a, const Mask& b);           // clamp(a - b)
Mask invertMask(const Mask& m);
// Pixels of m whose neighbour at (-dx, -dy) is outside: the lit edge for a light from that side.
Mask edgeFacing(const Mask& m, int dx, int dy, bool wrap = false);
// Minimum over a square neighbourhood of the given radius.
Mask erodeMask(const Mask& m, int radius, bool wrap = false);
Mask blurMask(const Mask& m, int radius, int passes = 3, bool wrap = false);
Image blurImage(const Image& img, int radius, int passes = 3, bool wrap = false);
void addImage(Image& dst, const Image& src, float k);

// Deterministic value noise in 0..1 that repeats every `period` cells in x and y.
float tileNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves of tileNoise, still repeating with the base period.
float tileFbm(float x, float y, int period, int octaves, uint32_t seed);

// Gamma-free 8-bit RGB, clamped.
std::vector<uint8_t> toRgb8(const Image& img);
bool writeJpg(const std::string& path, const Image& img, int quality);
bool writePng(const std::string& path, const Image& img);
