#pragma once
#include "platform/Jpeg.h"

#include <memory>
#include <string>

// The image a JPG texture slot receives: width x height RGB texels, 8 bits each, no row
// padding, the picture's top row first and each row starting with its rightmost pixel.
struct JpgTextureImage {
  int width = 0;
  int height = 0;
  std::unique_ptr<unsigned char[]> rgb;
};

// The texture side a picture side of `side` pixels gets: the nearer power of two on a
// logarithmic scale (362 -> 256, 363 -> 512), never more than maxSize.
int jpgTextureSide(int side, int maxSize);

// Stretches the whole decoded picture to jpgTextureSide of each side (maxSize being the GL's
// largest texture) and lays it out as above. The picture's pixels are freed once stretched.
// False with the reason in *why when memory runs out. The stretch is stretchPicture's box
// filter and needs no GL context.
bool makeJpgTextureImage(JpegPicture& picture, int maxSize, JpgTextureImage& image,
                         std::string* why);
