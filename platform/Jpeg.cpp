#include "platform/Jpeg.h"

#include <turbojpeg.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

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

// Bytes that sit between two marker segments, where a marker should begin, belong to nothing:
// a writer's slip that decoders skip with a warning. The runs of them, as (offset, length),
// found by walking the segments from the start marker through the header and from scan to scan
// (a scan's coded data runs to the first marker other than a restart). The walk stops at the end
// marker and at anything it cannot follow, such as a segment running past the end; what lies
// inside a segment or a scan is never counted, so a scan with bytes too many or too few, or a
// header whose picture size does not match its scan, still warns and is refused.
struct ByteRun {
  size_t at, length;
};

std::vector<ByteRun> strayRunsBetweenSegments(const unsigned char* bytes, size_t size) {
  std::vector<ByteRun> runs;
  if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return runs;
  size_t at = 2;
  while (at < size) {
    const size_t start = at;
    while (at < size && bytes[at] != 0xFF) ++at;
    if (at == size) break;  // nothing but stray bytes to the end: no marker follows them
    if (at > start) runs.push_back({start, at - start});
    while (at < size && bytes[at] == 0xFF) ++at;  // fill bytes before a marker are allowed
    if (at == size) break;
    const unsigned char marker = bytes[at++];
    if (marker == 0xD9) break;                        // end of picture
    if (marker == 0x00 || marker == 0xD8) break;      // no marker at all, or a second start
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // markers without a length
    if (size - at < 2) break;
    const size_t length = (size_t(bytes[at]) << 8) | bytes[at + 1];
    if (length < 2 || length > size - at) break;
    at += length;
    if (marker != 0xDA) continue;
    // A scan: coded data up to the next marker that is neither a stuffed zero nor a restart.
    while (at + 1 < size) {
      const unsigned char next = bytes[at + 1];
      if (bytes[at] == 0xFF && next != 0x00 && next != 0xFF && (next < 0xD0 || next > 0xD7)) break;
      ++at;
    }
    if (at + 1 >= size) break;
  }
  return runs;
}

// The bytes without the given runs.
std::unique_ptr<unsigned char[]> withoutRuns(const unsigned char* bytes, size_t size,
                                             const std::vector<ByteRun>& runs, size_t& kept) {
  size_t dropped = 0;
  for (const ByteRun& run : runs) dropped += run.length;
  kept = size - dropped;
  std::unique_ptr<unsigned char[]> out = allocateZeroed(kept);
  if (!out) return out;
  size_t from = 0, to = 0;
  for (const ByteRun& run : runs) {
    std::memcpy(out.get() + to, bytes + from, run.at - from);
    to += run.at - from;
    from = run.at + run.length;
  }
  std::memcpy(out.get() + to, bytes + from, size - from);
  return out;
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

  // Stray bytes between segments are left out; the decoder then sees a file without them and
  // must read it to the end without a single warning.
  const std::vector<ByteRun> stray = strayRunsBetweenSegments(bytes, size);
  std::unique_ptr<unsigned char[]> cleaned;
  size_t keptSize = size;
  if (!stray.empty()) {
    cleaned = withoutRuns(bytes, size, stray, keptSize);
    if (!cleaned) return fail(why, "out of memory");
    bytes = cleaned.get();
  }
  const unsigned long byteCount = static_cast<unsigned long>(keptSize);

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
  // Any other warning (a truncated or corrupt scan above all) fails the load; LIMITSCANS stops
  // progressive files built to take forever.
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
