#include "platform/Png.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <cerrno>

bool writePng(const std::string& path, int width, int height, const unsigned char* rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "kelvarn: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = png_image_write_to_stdio(&image, file, 0, rgb, width * 3, nullptr) != 0;
  if (!ok) std::fprintf(stderr, "kelvarn: cannot write %s: %s\n", path.c_str(), image.message);
  if (std::fclose(file) != 0 && ok) {
    std::fprintf(stderr, "kelvarn: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    ok = false;
  }
  return ok;
}

bool readPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  bool ok = png_image_begin_read_from_file(&image, path.c_str()) != 0;
  if (ok) {
    image.format = PNG_FORMAT_RGB;
    rgb->assign(PNG_IMAGE_SIZE(image), 0);
    ok = png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
  }
  if (!ok) {
    std::fprintf(stderr, "kelvarn: cannot read %s: %s\n", path.c_str(), image.message);
    png_image_free(&image);
    rgb->clear();
    return false;
  }
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return true;
}
