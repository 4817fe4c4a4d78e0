#include "platform/Jpeg.h"
#include "render/JpgTextureImage.h"
#include "tests/GlTestContext.h"

#include <algorithm>
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
