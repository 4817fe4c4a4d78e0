#pragma once

// Stretches a packed 8-bit RGB picture (rows of width * 3 bytes, no padding) to another size
// with a box filter: each target pixel is the area-weighted mean of the source pixels under
// it, its box reaching half a pixel either side of its centre when the side grows and one
// source step when it shrinks; boxes that run off an edge wrap to the opposite one. An exact
// halving takes the rounded mean of each 2x2 block. The sums run in 16-bit channel values
// (v * 257) in single precision, in the same order as GLU's gluScaleImage, so that the bytes
// are the ones it gives for packed rows, only without a GL context and several times faster.
// Sides must be positive.
void stretchPicture(const unsigned char* in, int inWidth, int inHeight, unsigned char* out,
                    int outWidth, int outHeight);
