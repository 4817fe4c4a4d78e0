// Writes the generated seeds of the picture loader's fuzz corpus into the folder given:
// colour, greyscale, progressive and CMYK pictures, 1 x 1 and one-pixel-wide ones, headers
// declaring huge pictures, and files cut short at several points. Each is small, so the fuzzer
// starts from every kind of picture the loader must take or refuse.
#include <turbojpeg.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

// A picture with some structure in every channel: gradients crossed by a checker.
Bytes pattern(int width, int height, int channels) {
  Bytes pixels(static_cast<size_t>(width) * height * channels);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) {
        const int checker = ((x / 8 + y / 8) % 2) * 64;
        pixels[(static_cast<size_t>(y) * width + x) * channels + c] =
            static_cast<unsigned char>((x * 255 / width + y * 97 / height + c * 50 + checker) & 255);
      }
  return pixels;
}

Bytes compress(int width, int height, int pixelFormat, int subsampling, int flags) {
  const Bytes pixels = pattern(width, height, tjPixelSize[pixelFormat]);
  tjhandle encoder = tjInitCompress();
  unsigned char* jpg = nullptr;
  unsigned long size = 0;
  Bytes out;
  if (encoder && tjCompress2(encoder, pixels.data(), width, width * tjPixelSize[pixelFormat],
                             height, pixelFormat, &jpg, &size, subsampling, 85, flags) == 0)
    out.assign(jpg, jpg + size);
  tjFree(jpg);
  if (encoder) tjDestroy(encoder);
  return out;
}

// The offset of the first frame header (baseline, extended or progressive), or 0.
size_t frameHeader(const Bytes& jpg) {
  for (size_t i = 2; i + 9 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] >= 0xC0 && jpg[i + 1] <= 0xC2) return i;
  return 0;
}

// The same file with the frame header declaring width x height.
Bytes withDeclaredSize(Bytes jpg, int width, int height) {
  const size_t at = frameHeader(jpg);
  if (at == 0) return {};
  jpg[at + 5] = static_cast<unsigned char>(height >> 8);
  jpg[at + 6] = static_cast<unsigned char>(height & 0xFF);
  jpg[at + 7] = static_cast<unsigned char>(width >> 8);
  jpg[at + 8] = static_cast<unsigned char>(width & 0xFF);
  return jpg;
}

// The first `size` bytes (all of them when the file is shorter).
Bytes cut(const Bytes& jpg, size_t size) {
  return Bytes(jpg.begin(), jpg.begin() + static_cast<long>(size < jpg.size() ? size : jpg.size()));
}

// The offset just after the first start-of-scan header, where the coded data begins, or 0.
size_t scanData(const Bytes& jpg) {
  for (size_t i = 2; i + 3 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xDA) return i + 2 + (jpg[i + 2] << 8 | jpg[i + 3]);
  return 0;
}

bool write(const std::string& folder, const std::string& name, const Bytes& bytes) {
  if (bytes.empty()) {
    std::fprintf(stderr, "make_jpeg_seeds: could not make %s\n", name.c_str());
    return false;
  }
  const std::string path = folder + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "make_jpeg_seeds: cannot write %s\n", path.c_str());
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_jpeg_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const Bytes colour = compress(96, 64, TJPF_RGB, TJSAMP_420, 0);
  const Bytes progressive = compress(128, 96, TJPF_RGB, TJSAMP_444, TJFLAG_PROGRESSIVE);
  const Bytes grey = compress(40, 24, TJPF_GRAY, TJSAMP_GRAY, 0);
  const Bytes cmyk = compress(32, 32, TJPF_CMYK, TJSAMP_444, 0);

  bool ok = true;
  ok &= write(folder, "colour-420.jpg", colour);
  ok &= write(folder, "colour-422.jpg", compress(70, 50, TJPF_RGB, TJSAMP_422, 0));
  ok &= write(folder, "colour-440.jpg", compress(33, 65, TJPF_RGB, TJSAMP_440, 0));
  ok &= write(folder, "colour-411.jpg", compress(100, 20, TJPF_RGB, TJSAMP_411, 0));
  ok &= write(folder, "progressive.jpg", progressive);
  ok &= write(folder, "progressive-grey.jpg",
              compress(64, 64, TJPF_GRAY, TJSAMP_GRAY, TJFLAG_PROGRESSIVE));
  ok &= write(folder, "grey.jpg", grey);
  ok &= write(folder, "cmyk.jpg", cmyk);
  ok &= write(folder, "cmyk-progressive.jpg",
              compress(24, 40, TJPF_CMYK, TJSAMP_420, TJFLAG_PROGRESSIVE));
  ok &= write(folder, "one-pixel.jpg", compress(1, 1, TJPF_RGB, TJSAMP_444, 0));
  ok &= write(folder, "one-pixel-grey.jpg", compress(1, 1, TJPF_GRAY, TJSAMP_GRAY, 0));
  ok &= write(folder, "one-pixel-cmyk.jpg", compress(1, 1, TJPF_CMYK, TJSAMP_444, 0));
  ok &= write(folder, "one-row.jpg", compress(300, 1, TJPF_RGB, TJSAMP_420, 0));
  ok &= write(folder, "one-column.jpg", compress(1, 300, TJPF_RGB, TJSAMP_420, 0));

  // Headers declaring more than the format allows, more than the loader takes (on one side, in
  // all), and exactly the most it takes (whose data then runs out at once).
  ok &= write(folder, "huge-header.jpg", withDeclaredSize(colour, 65535, 65535));
  ok &= write(folder, "huge-header-progressive.jpg", withDeclaredSize(progressive, 65535, 65535));
  ok &= write(folder, "huge-header-wide.jpg", withDeclaredSize(grey, 65535, 1));
  ok &= write(folder, "over-largest-side-header.jpg", withDeclaredSize(grey, 16385, 1));
  ok &= write(folder, "over-largest-area-header.jpg", withDeclaredSize(grey, 8193, 8192));
  ok &= write(folder, "largest-side-header.jpg", withDeclaredSize(grey, 16384, 4096));
  ok &= write(folder, "largest-area-header.jpg", withDeclaredSize(progressive, 8192, 8192));
  ok &= write(folder, "zero-width-header.jpg", withDeclaredSize(grey, 0, 24));

  // Cut short: inside the headers, right where the coded data starts, halfway, and just
  // before the end-of-image marker.
  ok &= write(folder, "truncated-in-header.jpg", cut(colour, 40));
  ok &= write(folder, "truncated-at-scan.jpg", cut(colour, scanData(colour)));
  ok &= write(folder, "truncated-half.jpg", cut(colour, colour.size() / 2));
  ok &= write(folder, "truncated-progressive.jpg", cut(progressive, progressive.size() * 2 / 3));
  ok &= write(folder, "truncated-cmyk.jpg", cut(cmyk, cmyk.size() - 30));
  ok &= write(folder, "no-end-marker.jpg", cut(grey, grey.size() - 2));
  return ok ? 0 : 1;
}
