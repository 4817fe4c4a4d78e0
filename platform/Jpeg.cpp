#include "platform/Jpeg.h"

#include <turbojpeg.h>

#include <sys/stat.h>

#include <cstdio>
#include <limits>
#include <new>

namespace {
// No picture of the show comes near this; a larger file is refused unread.
constexpr long long maxJpegFileBytes = 256LL * 1024 * 1024;

bool fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

// The whole file in memory, or false. Only regular files are opened, so a FIFO or a device
// cannot block or flood the reader.
bool readWholeFile(const char* path, std::unique_ptr<unsigned char[]>& bytes, size_t& size,
                   std::string* why) {
  struct stat info {};
  if (!path || stat(path, &info) != 0) return fail(why, "no such file");
  if (!S_ISREG(info.st_mode)) return fail(why, "not a regular file");
  if (info.st_size <= 0) return fail(why, "empty file");
  if (info.st_size > maxJpegFileBytes) return fail(why, "file too large");
  size = static_cast<size_t>(info.st_size);
  bytes = allocateZeroed(size);
  if (!bytes) return fail(why, "out of memory");
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return fail(why, "cannot open");
  const size_t got = std::fread(bytes.get(), 1, size, file);
  std::fclose(file);
  if (got != size) return fail(why, "read error");
  return true;
}

// CMYK JPGs hold inverted inks (255 = no ink), as Adobe writes them and TurboJPEG reads them.
void convertCmykToRgb(const unsigned char* cmyk, size_t pixels, unsigned char* rgb) {
  for (size_t i = 0; i < pixels; ++i, cmyk += 4, rgb += 3) {
    const unsigned k = cmyk[3];
    rgb[0] = static_cast<unsigned char>((cmyk[0] * k + 127) / 255);
    rgb[1] = static_cast<unsigned char>((cmyk[1] * k + 127) / 255);
    rgb[2] = static_cast<unsigned char>((cmyk[2] * k + 127) / 255);
  }
}

struct Decompressor {
  tjhandle handle = tjInitDecompress();
  ~Decompressor() {
    if (handle) tjDestroy(handle);
  }
};
}  // namespace

std::unique_ptr<unsigned char[]> allocateZeroed(size_t bytes) {
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[bytes]());
}

bool decodeJpg(const char* path, JpegPicture& picture, std::string* why) {
  std::unique_ptr<unsigned char[]> file;
  size_t fileSize = 0;
  if (!readWholeFile(path, file, fileSize, why)) return false;
  return decodeJpgBytes(file.get(), fileSize, picture, why);
}

bool decodeJpgBytes(const unsigned char* bytes, size_t size, JpegPicture& picture,
                    std::string* why) {
  if (!bytes || size == 0) return fail(why, "empty file");
  // TurboJPEG counts the input in unsigned long; a larger buffer cannot be handed to it whole.
  if (size > std::numeric_limits<unsigned long>::max()) return fail(why, "file too large");
  const unsigned long byteCount = static_cast<unsigned long>(size);

  Decompressor decoder;
  if (!decoder.handle) return fail(why, "no JPG decoder");
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(decoder.handle, bytes, byteCount, &width, &height, &subsampling,
                          &colourspace) != 0)
    return fail(why, std::string("not a JPG: ") + tjGetErrorStr2(decoder.handle));
  if (width <= 0 || height <= 0) return fail(why, "picture has no pixels");
  if (width > maxJpegSide || height > maxJpegSide ||
      static_cast<long long>(width) * height > maxJpegPixels)
    return fail(why, "picture too large");

  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  const bool cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
  // TurboJPEG gives CMYK pictures only as CMYK pixels; they are turned into RGB here.
  const int pixelFormat = cmyk ? TJPF_CMYK : TJPF_RGB;
  const int pixelSize = cmyk ? 4 : 3;
  // Not zero-filled: the decoder writes every pixel of a picture it accepts, so a short file
  // that only declares a huge picture costs no more memory than the rows it really holds.
  std::unique_ptr<unsigned char[]> decoded(new (std::nothrow) unsigned char[pixels * pixelSize]);
  if (!decoded) return fail(why, "out of memory");
  // Any warning (a truncated scan above all) fails the load; LIMITSCANS stops progressive files
  // built to take forever.
  const int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
  if (tjDecompress2(decoder.handle, bytes, byteCount, decoded.get(), width, width * pixelSize,
                    height, pixelFormat, flags) != 0)
    return fail(why, std::string("cannot decode: ") + tjGetErrorStr2(decoder.handle));
  std::unique_ptr<unsigned char[]> rgb;
  if (cmyk) {
    rgb = allocateZeroed(pixels * 3);
    if (!rgb) return fail(why, "out of memory");
    convertCmykToRgb(decoded.get(), pixels, rgb.get());
  } else {
    rgb = std::move(decoded);
  }

  picture.width = width;
  picture.height = height;
  picture.rgb = std::move(rgb);
  return true;
}
