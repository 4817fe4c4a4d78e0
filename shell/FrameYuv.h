#pragma once
// A rendered frame turned into the 4:2:0 YUV that an H.264 capture carries.
#include <vector>

// The RGB to YUV matrix: the shares of red and blue in the luma.
struct YuvMatrix {
  float kr, kb;
};
constexpr YuvMatrix bt709Matrix{0.2126f, 0.0722f};
constexpr YuvMatrix bt601Matrix{0.299f, 0.114f};

// The planes of one frame, kept between frames: Y, then Cb, then Cr, limited range, top row first.
struct FrameYuv {
  std::vector<unsigned char> planes;
};

// Converts BGRA rows, bottom row first as GL reads them, into yuv.planes. Each 2 x 2 block
// shares one chroma pair, sited at its centre. Saturated colours beside dark ones would come
// back outside 0..255 and be clipped by the player, brightening the dark side; there a few
// passes move the block's luma and chroma so that the picture a player rebuilds is the frame.
void convertFrameYuv(const unsigned char* bgra, int width, int height, YuvMatrix m, FrameYuv& yuv);
