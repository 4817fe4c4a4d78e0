#include "render/GlState.h"
#include "render/PictureStretch.h"
#include "render/Texture.h"
#include "tests/GlTestContext.h"

#include <SDL.h>
#include <turbojpeg.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {
struct Rgb {
  unsigned char r, g, b;
};

std::string tmpPath(const std::string& name) {
  mkdir(KELVARN_TEST_TMP, 0755);
  return std::string(KELVARN_TEST_TMP) + "/" + name;
}

std::vector<unsigned char> compressJpg(const unsigned char* pixels, int width, int height,
                                       int pixelFormat, int subsampling, int flags) {
  tjhandle encoder = tjInitCompress();
  unsigned char* jpg = nullptr;
  unsigned long size = 0;
  const int pitch = width * tjPixelSize[pixelFormat];
  const int rc = tjCompress2(encoder, pixels, width, pitch, height, pixelFormat, &jpg, &size,
                             subsampling, 95, flags);
  std::vector<unsigned char> bytes;
  if (rc == 0) bytes.assign(jpg, jpg + size);
  tjFree(jpg);
  tjDestroy(encoder);
  return bytes;
}

std::string writeFile(const std::string& name, const std::vector<unsigned char>& bytes) {
  const std::string path = tmpPath(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A picture in four quadrants: red top-left, green top-right, blue bottom-left, white
// bottom-right.
std::vector<unsigned char> quadrantPicture(int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      const Rgb c = !bottom ? (right ? Rgb{0, 255, 0} : Rgb{255, 0, 0})
                            : (right ? Rgb{255, 255, 255} : Rgb{0, 0, 255});
      unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  return rgb;
}

std::string writeRgbJpg(const std::string& name, int width, int height, int flags = 0) {
  const std::vector<unsigned char> rgb = quadrantPicture(width, height);
  return writeFile(name, compressJpg(rgb.data(), width, height, TJPF_RGB, TJSAMP_444, flags));
}

std::pair<int, int> boundTextureSize() {
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  return {w, h};
}

// Level 0 of the bound texture, RGB, rows as GL stores them.
std::vector<unsigned char> boundTextureImage() {
  const auto [w, h] = boundTextureSize();
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

// The picture over the whole screen with the JPG texture convention: s runs from 1 at the left
// to 0 at the right, t from 0 at the top to 1 at the bottom.
void drawUprightScreenQuad() {
  setOrtho();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1, 1, 1);
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(1, 0);
  glVertex2i(-400, 300);
  glTexCoord2f(1, 1);
  glVertex2i(-400, -300);
  glTexCoord2f(0, 0);
  glVertex2i(400, 300);
  glTexCoord2f(0, 1);
  glVertex2i(400, -300);
  glEnd();
}

void expectNear(std::array<int, 3> got, Rgb want, const char* where) {
  EXPECT_NEAR(got[0], want.r, 12) << where;
  EXPECT_NEAR(got[1], want.g, 12) << where;
  EXPECT_NEAR(got[2], want.b, 12) << where;
}

bool loadQuietly(Texture& texture, const std::string& path, std::string* stderrText) {
  testing::internal::CaptureStderr();
  const bool ok = texture.loadJpg(path.c_str());
  *stderrText = testing::internal::GetCapturedStderr();
  return ok;
}
}  // namespace

class TextureTest : public GlTest {};

TEST_F(TextureTest, SlotsAndBindingRules) {
  Texture none(0);
  EXPECT_EQ(none.count, 1);
  EXPECT_NE(none.names[0], 0u);
  EXPECT_EQ(none.width, 0);

  Texture three(3);
  three.bindTexture(2);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), three.names[2]);
  // An out-of-range slot binds nothing but still switches texturing on.
  glDisable(GL_TEXTURE_2D);
  three.bindTexture(3);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  // uploadPixels to a slot that is not there does nothing at all.
  const unsigned char pixel[3] = {1, 2, 3};
  three.uploadPixels(1, 1, GL_RGB, GL_RGB, pixel, 7);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);

  unbindTexture();
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureTest, MovesAndReleasesWithoutContext) {
  Texture first(2);
  const GLuint name = first.names[1];
  Texture moved(std::move(first));
  EXPECT_EQ(first.names, nullptr);
  EXPECT_EQ(first.count, 0);
  EXPECT_EQ(moved.names[1], name);
  first.bindTexture(0);  // a moved-from texture binds nothing and does not crash
  Texture assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.count, 2);
  EXPECT_EQ(assigned.names[1], name);

  // With a context current, release deletes the names.
  assigned.bindTexture(1);
  unbindTexture();
  ASSERT_TRUE(glIsTexture(name));
  assigned.releaseTexture();
  EXPECT_FALSE(glIsTexture(name));
  EXPECT_EQ(assigned.names, nullptr);
  assigned.releaseTexture();  // twice is harmless

  // At process exit there is no context: only the memory goes, no GL call is made, so the
  // texture object is still there when the context comes back.
  Texture late(1);
  const GLuint lateName = late.names[0];
  late.bindTexture(0);
  unbindTexture();
  Screen& screen = glTestScreen();
  SDL_Window* window = static_cast<SDL_Window*>(screen.window);
  ASSERT_EQ(SDL_GL_MakeCurrent(window, nullptr), 0);
  late.releaseTexture();
  ASSERT_EQ(SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(screen.context)), 0);
  EXPECT_EQ(late.names, nullptr);
  EXPECT_TRUE(glIsTexture(lateName));
  glDeleteTextures(1, &lateName);
}

TEST_F(TextureTest, PictureSidesRoundToNearerPowerOfTwo) {
  EXPECT_EQ(jpgTextureSide(362, 16384), 256);
  EXPECT_EQ(jpgTextureSide(363, 16384), 512);
  EXPECT_EQ(jpgTextureSide(512, 16384), 512);
  EXPECT_EQ(jpgTextureSide(1, 16384), 1);
  EXPECT_EQ(jpgTextureSide(3000, 2048), 2048);  // over the maximum: exactly the maximum
  EXPECT_EQ(jpgTextureSide(1500, 1024), 1024);  // rounded up past the maximum: capped

  struct Case {
    int width, height, wantWidth, wantHeight;
  };
  for (const Case c : {Case{300, 200, 256, 256}, Case{400, 300, 512, 256},
                       Case{362, 363, 256, 512}, Case{64, 64, 64, 64}}) {
    const std::string name = "size" + std::to_string(c.width) + "x" + std::to_string(c.height);
    const std::string path = writeRgbJpg(name + ".jpg", c.width, c.height);
    Texture texture;
    ASSERT_TRUE(texture.loadJpg(path.c_str())) << name;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.names[0]) << "slot 0 stays bound";
    EXPECT_EQ(boundTextureSize(), std::make_pair(c.wantWidth, c.wantHeight)) << name;
    EXPECT_EQ(texture.width, 0) << "a picture is not a render target";
  }
}

// The stretch gives GLU's gluScaleImage bytes exactly: growing (boxes wrapping at the edges),
// shrinking, mixed, an exact halving and an unchanged size, over noise.
TEST_F(TextureTest, PictureStretchMatchesGluScaleImage) {
  struct Case {
    int inWidth, inHeight, outWidth, outHeight;
  };
  unsigned seed = 12345;
  for (const Case c : {Case{800, 600, 1024, 512}, Case{256, 256, 256, 256},
                       Case{300, 200, 256, 256}, Case{64, 48, 32, 24}, Case{5, 7, 16, 4},
                       Case{1000, 3, 8, 1}}) {
    std::vector<unsigned char> in(static_cast<size_t>(c.inWidth) * c.inHeight * 3);
    for (unsigned char& byte : in)
      byte = static_cast<unsigned char>((seed = seed * 1103515245 + 12345) >> 16);
    const size_t outBytes = static_cast<size_t>(c.outWidth) * c.outHeight * 3;
    std::vector<unsigned char> glu(outBytes), ours(outBytes);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    ASSERT_EQ(gluScaleImage(GL_RGB, c.inWidth, c.inHeight, GL_UNSIGNED_BYTE, in.data(),
                            c.outWidth, c.outHeight, GL_UNSIGNED_BYTE, glu.data()),
              0);
    stretchPicture(in.data(), c.inWidth, c.inHeight, ours.data(), c.outWidth, c.outHeight);
    EXPECT_EQ(ours, glu) << c.inWidth << "x" << c.inHeight << " -> " << c.outWidth << "x"
                         << c.outHeight;
  }
}

TEST_F(TextureTest, PictureShowsUprightWithFlippedCoordinates) {
  const std::string path = writeRgbJpg("quadrants.jpg", 300, 200);
  Texture texture;
  ASSERT_TRUE(texture.loadJpg(path.c_str()));

  // Stored top row first, each row from the right: texels near (0, 0) show the top-right
  // corner, the last row starts with the bottom-right one.
  const std::vector<unsigned char> texels = boundTextureImage();
  auto texel = [&](int x, int y) {
    const size_t at = (static_cast<size_t>(y) * 256 + x) * 3;
    return std::array<int, 3>{texels[at], texels[at + 1], texels[at + 2]};
  };
  expectNear(texel(4, 4), {0, 255, 0}, "near the first texel");
  expectNear(texel(4, 251), {255, 255, 255}, "near the last row's first texel");
  expectNear(texel(251, 4), {255, 0, 0}, "near the first row's last texel");

  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  texture.bindTexture(0);
  drawUprightScreenQuad();
  unbindTexture();
  saveTestPicture("texture_upright_quadrants");
  expectNear(pixelAt(200, 150), {255, 0, 0}, "top left");
  expectNear(pixelAt(600, 150), {0, 255, 0}, "top right");
  expectNear(pixelAt(200, 450), {0, 0, 255}, "bottom left");
  expectNear(pixelAt(600, 450), {255, 255, 255}, "bottom right");
  // The whole picture is stretched over the texture: the corners reach the screen's corners.
  expectNear(pixelAt(5, 5), {255, 0, 0}, "top-left corner");
  expectNear(pixelAt(794, 594), {255, 255, 255}, "bottom-right corner");
}

TEST_F(TextureTest, GreyProgressiveAndCmykPicturesLoad) {
  Texture texture;
  std::string messages;

  std::vector<unsigned char> grey(64 * 32, 128);
  const std::string greyPath =
      writeFile("grey.jpg", compressJpg(grey.data(), 64, 32, TJPF_GRAY, TJSAMP_GRAY, 0));
  ASSERT_TRUE(loadQuietly(texture, greyPath, &messages)) << messages;
  std::vector<unsigned char> texels = boundTextureImage();
  expectNear({texels[0], texels[1], texels[2]}, {128, 128, 128}, "grey");

  const std::string progressivePath =
      writeRgbJpg("progressive.jpg", 128, 128, TJFLAG_PROGRESSIVE);
  ASSERT_TRUE(loadQuietly(texture, progressivePath, &messages)) << messages;
  texels = boundTextureImage();
  expectNear({texels[0], texels[1], texels[2]}, {0, 255, 0}, "progressive top right");

  // CMYK with inverted inks as Adobe writes them (255 = no ink): c = 0 is full cyan, the other
  // inks are absent, so the pixel reads as RGB (0, 255, 255).
  std::vector<unsigned char> cmyk;
  for (int i = 0; i < 32 * 32; ++i) cmyk.insert(cmyk.end(), {0, 255, 255, 255});
  const std::string cmykPath =
      writeFile("cmyk.jpg", compressJpg(cmyk.data(), 32, 32, TJPF_CMYK, TJSAMP_444, 0));
  ASSERT_TRUE(loadQuietly(texture, cmykPath, &messages)) << messages;
  texels = boundTextureImage();
  expectNear({texels[0], texels[1], texels[2]}, {0, 255, 255}, "cmyk");
}

TEST_F(TextureTest, BadFilesReportLoadErrorAndLeaveSlotEmpty) {
  const std::string goodPath = writeRgbJpg("good.jpg", 64, 64);
  std::ifstream in(goodPath, std::ios::binary);
  const std::vector<unsigned char> good((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  ASSERT_GT(good.size(), 200u);

  // A valid header that claims 20000 x 20000 pixels: refused before anything is allocated.
  std::vector<unsigned char> huge = good;
  for (size_t i = 0; i + 8 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = 20000 >> 8, huge[i + 6] = 20000 & 0xFF;
      huge[i + 7] = 20000 >> 8, huge[i + 8] = 20000 & 0xFF;
      break;
    }
  std::vector<unsigned char> garbage = {0xFF, 0xD8, 0xFF};
  for (int i = 0; i < 500; ++i) garbage.push_back(static_cast<unsigned char>(i * 37));

  const std::string fifoPath = tmpPath("fifo.jpg");
  std::remove(fifoPath.c_str());
  mkfifo(fifoPath.c_str(), 0600);

  const std::vector<std::string> paths = {
      tmpPath("missing.jpg"),
      writeFile("empty.jpg", {}),
      writeFile("truncated.jpg", std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2)),
      writeFile("text.jpg", {'h', 'e', 'l', 'l', 'o', '\n'}),
      writeFile("garbage.jpg", garbage),
      writeFile("huge.jpg", huge),
      std::string(KELVARN_TEST_TMP),  // a folder
      fifoPath,                       // would block a reader that opened it
  };
  for (const std::string& path : paths) {
    Texture texture;
    std::string messages;
    EXPECT_FALSE(loadQuietly(texture, path, &messages)) << path;
    EXPECT_NE(messages.find("Load Error: " + path), std::string::npos) << messages;
    // The slot keeps its name without an image, so the surface draws untextured.
    texture.bindTexture(0);
    EXPECT_EQ(boundTextureSize(), std::make_pair(0, 0)) << path;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawUprightScreenQuad();
    unbindTexture();
    expectNear(pixelAt(400, 300), {255, 255, 255}, path.c_str());
  }
  std::remove(fifoPath.c_str());

  // The text shown is the path exactly as the caller gave it.
  Texture texture;
  std::string messages;
  EXPECT_FALSE(loadQuietly(texture, "data/texture/nowhere.jpg", &messages));
  EXPECT_NE(messages.find("Load Error: data/texture/nowhere.jpg"), std::string::npos);
}

TEST_F(TextureTest, RenderTargetStartsBlackAndRecordsViewport) {
  glViewport(0, 0, 800, 600);
  Texture target = createRenderTarget(512, 512, 1);
  EXPECT_EQ(target.width, 512);
  EXPECT_EQ(target.height, 512);
  EXPECT_EQ(target.viewportWidth, 800);
  EXPECT_EQ(target.viewportHeight, 600);
  EXPECT_EQ(target.blendSrc, static_cast<GLenum>(GL_SRC_ALPHA));
  EXPECT_EQ(target.blendDst, static_cast<GLenum>(GL_ONE_MINUS_SRC_ALPHA));
  EXPECT_EQ(target.copySlot, 0);
  EXPECT_EQ(target.lightingWasOn, 0);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), target.names[0]);
  EXPECT_EQ(boundTextureSize(), std::make_pair(512, 512));
  const std::vector<unsigned char> texels = boundTextureImage();
  EXPECT_EQ(std::count(texels.begin(), texels.end(), 0), static_cast<long>(texels.size()));

  Texture three = createRenderTarget(64, 32, 3);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), three.names[2]) << "the last slot stays bound";
  three.bindTexture(0);
  EXPECT_EQ(boundTextureSize(), std::make_pair(64, 32));

  // Sizes that make no image make none, without a wild allocation.
  Texture none = createRenderTarget(-512, 512, 1);
  none.bindTexture(0);
  EXPECT_EQ(boundTextureSize(), std::make_pair(0, 0));
}
