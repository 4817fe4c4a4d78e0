#include "platform/Jpeg.h"
#include "render/JpgTextureImage.h"
#include "tests/GlTestContext.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Pictures that stand for hostile input to the picture loader (and any input the fuzzer,
// scripts/fuzz-jpeg, ever crashed it with): each file's name says what is due, accepted-* a
// picture that loads, refused-* a clean refusal.
namespace {
constexpr int maxTextureSide = 2048;

struct Sample {
  std::string name;
  std::string path;
  std::vector<unsigned char> bytes;
  bool accepted;
};

std::vector<Sample> samples() {
  std::vector<Sample> found;
  const std::filesystem::path folder =
      std::filesystem::path(KELVARN_SOURCE_DIR) / "tests/data/jpeg-regressions";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    Sample sample;
    sample.name = entry.path().filename().string();
    sample.path = entry.path().string();
    std::ifstream in(sample.path, std::ios::binary);
    sample.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    sample.accepted = sample.name.rfind("accepted-", 0) == 0;
    found.push_back(std::move(sample));
  }
  std::sort(found.begin(), found.end(),
            [](const Sample& a, const Sample& b) { return a.name < b.name; });
  return found;
}

// A refusal: false with a reason, and nothing handed out.
void expectRefused(bool ok, const JpegPicture& picture, const std::string& why,
                   const std::string& what) {
  EXPECT_FALSE(ok) << what;
  EXPECT_FALSE(why.empty()) << what;
  EXPECT_EQ(picture.rgb, nullptr) << what;
  EXPECT_EQ(picture.width, 0) << what;
  EXPECT_EQ(picture.height, 0) << what;
}
}  // namespace

// The stretch reads GL's pixel-store state, so these run with the test context current.
class JpegRegression : public GlTest {};

TEST_F(JpegRegression, EachFileLoadsOrIsRefusedCleanly) {
  const std::vector<Sample> all = samples();
  ASSERT_GE(all.size(), 10u);
  ASSERT_GE(std::count_if(all.begin(), all.end(), [](const Sample& s) { return s.accepted; }), 3);
  ASSERT_GE(std::count_if(all.begin(), all.end(), [](const Sample& s) { return !s.accepted; }), 6);

  for (const Sample& sample : all) {
    ASSERT_FALSE(sample.bytes.empty()) << sample.name;
    JpegPicture picture;
    std::string why;
    const bool ok = decodeJpgBytes(sample.bytes.data(), sample.bytes.size(), picture, &why);

    // Read from the file, the same bytes give the same answer.
    JpegPicture fromFile;
    std::string fileWhy;
    EXPECT_EQ(decodeJpg(sample.path.c_str(), fromFile, &fileWhy), ok) << sample.name;
    EXPECT_EQ(fileWhy, why) << sample.name;

    if (!sample.accepted) {
      expectRefused(ok, picture, why, sample.name);
      continue;
    }
    ASSERT_TRUE(ok) << sample.name << ": " << why;
    ASSERT_NE(picture.rgb, nullptr) << sample.name;
    EXPECT_GE(picture.width, 1) << sample.name;
    EXPECT_GE(picture.height, 1) << sample.name;
    EXPECT_LE(picture.width, maxJpegSide) << sample.name;
    EXPECT_LE(picture.height, maxJpegSide) << sample.name;
    EXPECT_LE(static_cast<long long>(picture.width) * picture.height, maxJpegPixels)
        << sample.name;
    EXPECT_EQ(fromFile.width, picture.width) << sample.name;
    EXPECT_EQ(fromFile.height, picture.height) << sample.name;
    const size_t pixelBytes = static_cast<size_t>(picture.width) * picture.height * 3;
    EXPECT_TRUE(std::equal(picture.rgb.get(), picture.rgb.get() + pixelBytes, fromFile.rgb.get()))
        << sample.name;

    // On to the texture image, as the loader makes it before the upload.
    const int wantWidth = jpgTextureSide(picture.width, maxTextureSide);
    const int wantHeight = jpgTextureSide(picture.height, maxTextureSide);
    JpgTextureImage image;
    ASSERT_TRUE(makeJpgTextureImage(picture, maxTextureSide, image, &why))
        << sample.name << ": " << why;
    EXPECT_EQ(image.width, wantWidth) << sample.name;
    EXPECT_EQ(image.height, wantHeight) << sample.name;
    EXPECT_NE(image.rgb, nullptr) << sample.name;
    EXPECT_EQ(picture.rgb, nullptr) << sample.name << ": the picture's pixels are freed";
  }
}

// A picture cut anywhere short of its end is refused, never half shown.
TEST_F(JpegRegression, EveryCutOfAnAcceptedFileIsRefused) {
  int cuts = 0;
  for (const Sample& sample : samples()) {
    if (!sample.accepted) continue;
    for (size_t size = 0; size < sample.bytes.size(); ++size) {
      JpegPicture picture;
      std::string why;
      const bool ok = decodeJpgBytes(size ? sample.bytes.data() : nullptr, size, picture, &why);
      expectRefused(ok, picture, why, sample.name + " cut to " + std::to_string(size) + " bytes");
      ++cuts;
    }
  }
  EXPECT_GT(cuts, 1000);
}

// Stray bytes: where other decoders skip them with a warning, and where a warning still means a
// broken picture. The pictures are made here, 64 x 48 with a pattern in every channel.
namespace {
std::vector<unsigned char> patternJpg(bool progressive) {
  const int width = 64, height = 48;
  std::vector<unsigned char> rgb(width * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &rgb[(y * width + x) * 3];
      p[0] = static_cast<unsigned char>(x * 4);
      p[1] = static_cast<unsigned char>(y * 5);
      p[2] = static_cast<unsigned char>(x * y);
    }
  tjhandle h = tjInitCompress();
  unsigned char* jpg = nullptr;
  unsigned long size = 0;
  const int flags = progressive ? TJFLAG_PROGRESSIVE : 0;
  EXPECT_EQ(tjCompress2(h, rgb.data(), width, 0, height, TJPF_RGB, &jpg, &size, TJSAMP_420, 90,
                        flags),
            0);
  std::vector<unsigned char> out(jpg, jpg + size);
  tjFree(jpg);
  tjDestroy(h);
  return out;
}

struct Marker {
  unsigned char code;
  size_t at;  // offset of its 0xFF
};

// The markers of a well-formed file in order, from the start marker to the end marker.
std::vector<Marker> markersOf(const std::vector<unsigned char>& jpg) {
  std::vector<Marker> found = {{0xD8, 0}};
  size_t at = 2;
  while (at + 1 < jpg.size() && jpg[at] == 0xFF) {
    const unsigned char code = jpg[at + 1];
    found.push_back({code, at});
    if (code == 0xD9 || at + 3 >= jpg.size()) break;
    at += 2 + ((size_t(jpg[at + 2]) << 8) | jpg[at + 3]);
    if (code != 0xDA) continue;
    while (at + 1 < jpg.size() &&
           !(jpg[at] == 0xFF && jpg[at + 1] != 0 && (jpg[at + 1] < 0xD0 || jpg[at + 1] > 0xD7)))
      ++at;
  }
  return found;
}

// Offset of the n-th marker (0: the first) with this code.
size_t markerAt(const std::vector<unsigned char>& jpg, unsigned char code, int n = 0) {
  for (const Marker& m : markersOf(jpg))
    if (m.code == code && n-- == 0) return m.at;
  ADD_FAILURE() << "no marker " << int(code);
  return 0;
}

std::vector<unsigned char> inserted(std::vector<unsigned char> jpg, size_t at,
                                    const std::vector<unsigned char>& stray) {
  jpg.insert(jpg.begin() + static_cast<std::ptrdiff_t>(at), stray.begin(), stray.end());
  return jpg;
}

const std::vector<unsigned char> strayBytes = {0x12, 0x00, 0x7F, 0xFE, 0x34, 0x56, 0x01};

struct Decoded {
  bool ok = false;
  std::string why;
  JpegPicture picture;
};

Decoded decode(const std::vector<unsigned char>& jpg) {
  Decoded d;
  d.ok = decodeJpgBytes(jpg.data(), jpg.size(), d.picture, &d.why);
  return d;
}

void expectSamePicture(const Decoded& got, const Decoded& want, const std::string& what) {
  ASSERT_TRUE(got.ok) << what << ": " << got.why;
  ASSERT_EQ(got.picture.width, want.picture.width) << what;
  ASSERT_EQ(got.picture.height, want.picture.height) << what;
  const size_t bytes = size_t(want.picture.width) * want.picture.height * 3;
  EXPECT_TRUE(std::equal(got.picture.rgb.get(), got.picture.rgb.get() + bytes,
                         want.picture.rgb.get()))
      << what;
}

// The frame header's height field set to `height`.
std::vector<unsigned char> withHeight(std::vector<unsigned char> jpg, int height) {
  size_t sof = 0;
  for (const Marker& m : markersOf(jpg))
    if (m.code == 0xC0 || m.code == 0xC2) sof = m.at;
  EXPECT_NE(sof, 0u);
  jpg[sof + 5] = static_cast<unsigned char>(height >> 8);
  jpg[sof + 6] = static_cast<unsigned char>(height & 0xFF);
  return jpg;
}
}  // namespace

TEST(JpegStrayBytes, BytesBetweenSegmentsAreSkippedAndThePictureIsWhole) {
  for (bool progressive : {false, true}) {
    const std::vector<unsigned char> clean = patternJpg(progressive);
    const Decoded want = decode(clean);
    ASSERT_TRUE(want.ok) << want.why;
    const std::string kind = progressive ? "progressive: " : "baseline: ";
    const unsigned char frame = progressive ? 0xC2 : 0xC0;
    const struct {
      const char* where;
      size_t at;
    } places[] = {
        {"after the start marker", 2},
        {"before the second table", markerAt(clean, 0xDB, 1)},
        {"before the frame header", markerAt(clean, frame)},
        {"before the first Huffman table", markerAt(clean, 0xC4)},
        {"before the first scan", markerAt(clean, 0xDA)},
    };
    for (const auto& place : places)
      expectSamePicture(decode(inserted(clean, place.at, strayBytes)), want, kind + place.where);

    // Several runs at once, one of them long; a run just before fill bytes.
    std::vector<unsigned char> many = inserted(clean, markerAt(clean, 0xDA), strayBytes);
    many = inserted(many, markerAt(many, frame), std::vector<unsigned char>(300, 0x20));
    many = inserted(many, 2, strayBytes);
    expectSamePicture(decode(many), want, kind + "three runs");
    std::vector<unsigned char> filled = inserted(clean, markerAt(clean, 0xC4), {0xFF, 0xFF});
    expectSamePicture(decode(inserted(filled, markerAt(clean, 0xC4), strayBytes)), want,
                      kind + "stray bytes before fill bytes");
  }
  // Between two scans of a progressive picture, after the table segment that opens the second.
  const std::vector<unsigned char> progressive = patternJpg(true);
  const size_t secondScan = markerAt(progressive, 0xDA, 1);
  const std::vector<Marker> markers = markersOf(progressive);
  ASSERT_EQ(markers[8].code, 0xC4) << "a table segment between the scans";
  ASSERT_EQ(markers[9].at, secondScan);
  expectSamePicture(decode(inserted(progressive, secondScan, strayBytes)), decode(progressive),
                    "between a table and the second scan");
}

TEST(JpegStrayBytes, FaultsInsideScansAndHeadersAreStillRefused) {
  const std::vector<unsigned char> clean = patternJpg(false);
  const std::vector<unsigned char> progressive = patternJpg(true);
  // The same picture with stray bytes in its header, which alone would be skipped.
  const std::vector<unsigned char> stray = inserted(clean, markerAt(clean, 0xC4), strayBytes);
  ASSERT_TRUE(decode(stray).ok);
  const size_t scanStart = markerAt(clean, 0xDA) + 14 + strayBytes.size();  // its coded data
  const size_t end = markerAt(clean, 0xD9) + strayBytes.size();

  std::vector<unsigned char> corrupt = stray;  // a stretch of the scan made all ones
  for (size_t i = scanStart + 100; i < scanStart + 140; i += 2) corrupt[i] = 0xFF, corrupt[i + 1] = 0;
  std::vector<unsigned char> noEnd(stray.begin(), stray.begin() + static_cast<std::ptrdiff_t>(end));
  noEnd.insert(noEnd.end(), strayBytes.begin(), strayBytes.end());

  const struct {
    const char* what;
    std::vector<unsigned char> bytes;
  } refused[] = {
      // Bytes after a scan's data cannot be told from a scan longer than its picture.
      {"stray bytes before the end marker", inserted(clean, markerAt(clean, 0xD9), strayBytes)},
      {"stray bytes at the end of a progressive scan",
       inserted(progressive, markerAt(progressive, 0xC4, 2), strayBytes)},
      {"a header shorter than its scan", withHeight(stray, 32)},
      {"a header taller than its scan", withHeight(stray, 64)},
      {"a corrupt scan", corrupt},
      {"stray bytes instead of the end marker", noEnd},
  };
  for (const auto& c : refused) {
    const Decoded d = decode(c.bytes);
    EXPECT_FALSE(d.ok) << c.what;
    EXPECT_FALSE(d.why.empty()) << c.what;
    EXPECT_EQ(d.picture.rgb, nullptr) << c.what;
  }

  // Every cut short of the end, whether inside the stray run, the header or the scan.
  int cuts = 0;
  for (size_t size = 1; size < stray.size(); ++size) {
    JpegPicture picture;
    std::string why;
    EXPECT_FALSE(decodeJpgBytes(stray.data(), size, picture, &why)) << "cut to " << size;
    EXPECT_EQ(picture.rgb, nullptr) << "cut to " << size;
    ++cuts;
  }
  EXPECT_GT(cuts, 1800);
}
