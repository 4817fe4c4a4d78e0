#pragma once
#include <cstdint>

// Every size the show gives in pixels was made for a 600-line picture. Drawn at another height,
// all of them grow by height / 600, so that the picture is the same one, only sharper: the
// screen's size decides the scale once, and every pixel size passes through here.

// The picture is pictureHeight lines high from now on (600 gives the original sizes).
void setPictureScale(int pictureHeight);
float pictureScale();
// pixels * scale, rounded, never under 1 for a positive size.
int32_t scaledPixels(int32_t pixels);
// The side of a render target made for `pixels` at 600 lines: scaled (to a multiple of four
// when it changes), and where GL before 2.0 allows only powers of two, the largest power of two
// that fits.
int32_t scaledTargetSide(int32_t pixels);
// The same for a picture of pictureHeight lines, whatever the scale set now.
int32_t targetSideAt(int pictureHeight, int32_t pixels);
// glLineWidth for a width given at 600 lines. Lines never drew thinner than one pixel, and the
// show's smooth lines carry a one-pixel soft edge whatever their width (drawn twice over,
// additively, it shows at full strength), so a line looks a pixel wider than it is: scaled, it
// keeps that look at (width + 1) * scale - 1.
void setLineWidth(float width);
