#include "render/BitmapFont.h"

#include "platform/Glyphs.h"
#include "tests/GlTestContext.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <string>
#include <vector>

namespace {

// Where the lit (text-coloured) pixels of a part of the screen lie, in GL window
// coordinates: x from the left, y from the bottom, x1 and y1 one past the last lit pixel.
struct LitBox {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  int count = 0;

  int height() const { return count ? y1 - y0 : 0; }
  int width() const { return count ? x1 - x0 : 0; }
};

LitBox litPixels(int x, int y, int width, int height) {
  std::vector<unsigned char> rgb(size_t(width) * height * 3);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPopClientAttrib();
  LitBox box;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const unsigned char* p = &rgb[(size_t(row) * width + column) * 3];
      if (p[0] < 128 && p[1] < 128 && p[2] < 128) continue;
      ++box.count;
      box.x0 = std::min(box.x0, x + column);
      box.y0 = std::min(box.y0, y + row);
      box.x1 = std::max(box.x1, x + column + 1);
      box.y1 = std::max(box.y1, y + row + 1);
    }
  return box;
}

// The show's 2D overlay space (-400..400 by -300..300) on a viewport of the given size, with
// nothing enabled that would change the text's pixels, and a black picture.
void startTextPage(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-400, 400, -300, 300, -500, 5000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glDisable(GL_BLEND);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
}

void printAt(const BitmapFont& font, int x, int y, const char* text) {
  glRasterPos2i(x, y);
  font.printText(text);
}

float rasterX() {
  GLfloat position[4] = {0, 0, 0, 0};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
  return position[0];
}

// Ink of text printed with its baseline at window pixel (64, 256) of a 512 x 512 viewport.
LitBox inkInSmallViewport(const BitmapFont& font, const char* text) {
  startTextPage(512, 512);
  printAt(font, -300, 0, text);  // (x + 400) * 0.64 = 64, (y + 300) * 512 / 600 = 256
  return litPixels(0, 0, 512, 512);
}

class BitmapFontTest : public GlTest {};

}  // namespace

TEST_F(BitmapFontTest, PrintTextKeepsListStateAndTurnsLightingOffOnlyForText) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 40, 400, 0, 0);
  ASSERT_NE(font.base, 0u);
  EXPECT_TRUE(glIsList(font.base));
  EXPECT_TRUE(glIsList(font.base + 95));

  startTextPage(800, 600);
  glListBase(777);
  glEnable(GL_LIGHTING);
  glRasterPos2i(-300, 0);
  float start = rasterX();

  font.printText("");  // empty: no state touched, nothing drawn
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(rasterX(), start);
  font.printText(nullptr);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

  font.printText("Hi");
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  GLint listBase = 0;
  glGetIntegerv(GL_LIST_BASE, &listBase);
  EXPECT_EQ(listBase, 777);
  EXPECT_GT(rasterX(), start + 10);  // each glyph moved the raster position on
  EXPECT_LT(rasterX(), start + 80);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BitmapFontTest, GlyphsKeepTheirPixelHeightInA512Viewport) {
  BitmapFont small, big, cell;
  small.createFont("Trebuchet MS", 40, 400, 1, 0);
  big.createFont("Trebuchet MS", 100, 400, 1, 0);
  cell.createFont("Trebuchet MS", -100, 400, 1, 0);  // a cell height holds the leading too

  LitBox smallH = inkInSmallViewport(small, "H");
  LitBox bigH = inkInSmallViewport(big, "H");
  saveTestPicture("bitmap_font_100px_in_512");
  LitBox cellH = inkInSmallViewport(cell, "H");
  LitBox bigHg = inkInSmallViewport(big, "Hg");

  // The baseline sits on the raster position and the ink starts right of it.
  EXPECT_EQ(bigH.y0, 256);
  EXPECT_EQ(smallH.y0, 256);
  EXPECT_GE(bigH.x0, 64);
  EXPECT_LE(bigH.x0, 64 + 20);

  // Capitals stand about 0.7 of the character height; capital plus descender about all of it.
  EXPECT_GE(bigH.height(), 60);
  EXPECT_LE(bigH.height(), 80);
  EXPECT_GE(smallH.height(), 24);
  EXPECT_LE(smallH.height(), 32);
  EXPECT_NEAR(double(bigH.height()) / smallH.height(), 2.5, 0.15);
  EXPECT_GE(bigHg.height(), 85);
  EXPECT_LE(bigHg.height(), 105);
  EXPECT_LT(cellH.height(), bigH.height());
  EXPECT_GT(cellH.height(), bigH.height() * 3 / 5);

  // The same glyph on the full 800 x 600 viewport is not scaled at all.
  startTextPage(800, 600);
  printAt(big, -300, 0, "H");
  EXPECT_EQ(litPixels(0, 0, 800, 600).height(), bigH.height());
}

TEST_F(BitmapFontTest, BytesOutsideThePrintableRangeAreSkipped) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 40, 400, 0, 0);
  ASSERT_NE(font.base, 0u);

  // Traps on the list names that stray bytes would reach: each switches fog on and throws the
  // raster position far to the right.
  const unsigned char strays[] = {1, 9, 31, 128, 160, 200, 255};
  std::vector<GLuint> traps;
  std::string text = "H";
  for (unsigned char byte : strays) {
    GLuint name = font.base - 32 + byte;
    text.push_back(char(byte));
    if (name == 0 || glIsList(name)) continue;
    glNewList(name, GL_COMPILE);
    glEnable(GL_FOG);
    glBitmap(0, 0, 0, 0, 300, 0, nullptr);
    glEndList();
    traps.push_back(name);
  }
  text += "i";
  ASSERT_GE(traps.size(), 4u);

  startTextPage(800, 600);
  glRasterPos2i(-300, 0);
  font.printText("Hi");
  float plainEnd = rasterX();
  LitBox plain = litPixels(0, 0, 800, 600);

  startTextPage(800, 600);
  glRasterPos2i(-300, 0);
  font.printText(text.c_str());
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(rasterX(), plainEnd);
  LitBox mixed = litPixels(0, 0, 800, 600);
  EXPECT_EQ(mixed.count, plain.count);
  EXPECT_EQ(mixed.x1, plain.x1);

  startTextPage(800, 600);
  glRasterPos2i(-300, 0);
  font.printText("\x80\xff\x01");  // nothing printable: lighting off as for any text, no ink
  EXPECT_EQ(litPixels(0, 0, 800, 600).count, 0);
  EXPECT_FALSE(glIsEnabled(GL_FOG));

  for (GLuint name : traps) glDeleteLists(name, 1);
}

TEST_F(BitmapFontTest, MissingFamiliesAndOddRequestsStillPrint) {
  BitmapFont font;
  testing::internal::CaptureStderr();
  font.createFont("Kelvarn Nonexistent Family", 40, 400, 0, 0);
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("Kelvarn Nonexistent Family"), std::string::npos);
  ASSERT_NE(font.base, 0u);
  startTextPage(800, 600);
  printAt(font, -300, 0, "Hi");
  EXPECT_GT(litPixels(0, 0, 800, 600).count, 50);

  BitmapFont unnamed, zero, huge, oddWeight;
  testing::internal::CaptureStderr();
  unnamed.createFont(nullptr, 40, 400, 0, 0);
  zero.createFont("Trebuchet MS", 0, 400, 0, 0);
  huge.createFont("Trebuchet MS", 2000000000, 400, 0, 0);
  oddWeight.createFont("Trebuchet MS", 30, -5, 7, 3);
  report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("2000000000"), std::string::npos);
  EXPECT_NE(unnamed.base, 0u);
  startTextPage(800, 600);
  printAt(zero, -300, 0, "H");
  LitBox defaultSize = litPixels(0, 0, 800, 600);
  EXPECT_GT(defaultSize.height(), 5);
  EXPECT_LT(defaultSize.height(), 20);
  startTextPage(800, 600);
  printAt(huge, -390, -290, "H");  // capped at 1024 pixels: far over the screen's top
  EXPECT_EQ(litPixels(0, 0, 800, 600).y1, 600);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BitmapFontTest, TheShowsFamiliesResolveToTheirAliases) {
  loadFontAliases("data/fonts.conf");
  const char* families[] = {"Times New Roman", "Trebuchet MS", "Impact"};
  for (const char* family : families) {
    FontRequest upright;
    upright.family = family;
    upright.height = 40;
    FontMatch plain = findFont(upright);
    EXPECT_FALSE(plain.substituted) << family << " -> " << plain.file;
    EXPECT_FALSE(plain.file.empty());
    std::printf("%s -> %s (%s)\n", family, plain.family.c_str(), plain.file.c_str());

    FontRequest italic = upright;
    italic.italic = true;
    FontMatch slanted = findFont(italic);
    EXPECT_TRUE(slanted.file != plain.file || slanted.shear[1] != 0) << family;
  }
  FontRequest missing;
  missing.family = "Kelvarn Nonexistent Family";
  EXPECT_TRUE(findFont(missing).substituted);
}

TEST_F(BitmapFontTest, WeightItalicAndUnderlineShowInTheGlyphs) {
  BitmapFont regular, bold, italic, underlined;
  regular.createFont("Trebuchet MS", 100, 400, 0, 0);
  bold.createFont("Trebuchet MS", 100, 700, 0, 0);
  italic.createFont("Trebuchet MS", 100, 400, 1, 0);
  underlined.createFont("Trebuchet MS", 100, 400, 0, 1);

  LitBox regularInk = inkInSmallViewport(regular, "Hello");
  LitBox boldInk = inkInSmallViewport(bold, "Hello");
  EXPECT_GT(boldInk.count, regularInk.count * 6 / 5);

  // An upright l has its top and bottom rows at one x; an italic one leans right.
  auto lean = [](const BitmapFont& font) {
    LitBox all = inkInSmallViewport(font, "l");
    LitBox top = litPixels(0, all.y1 - 3, 512, 3);
    LitBox bottom = litPixels(0, all.y0, 512, 3);
    return (top.x0 + top.x1) / 2 - (bottom.x0 + bottom.x1) / 2;
  };
  EXPECT_LE(lean(regular), 1);
  EXPECT_GE(lean(italic), 8);

  // The underline runs under spaces as well, below the baseline.
  EXPECT_EQ(inkInSmallViewport(regular, "   ").count, 0);
  LitBox line = inkInSmallViewport(underlined, "   ");
  EXPECT_GT(line.count, 0);
  EXPECT_LT(line.y1, 256);
  EXPECT_GT(line.width(), 40);
}

TEST_F(BitmapFontTest, ReleasingIsSafeTwiceAndWithoutAContext) {
  Screen& screen = glTestScreen();
  BitmapFont font;
  font.createFont("Times New Roman", 40, 400, 0, 0);
  GLuint lists = font.base;
  ASSERT_NE(lists, 0u);

  // As at exit, once the context is gone: nothing but forgetting the lists.
  SDL_Window* window = static_cast<SDL_Window*>(screen.window);
  SDL_GL_MakeCurrent(window, nullptr);
  font.releaseFont();
  SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(screen.context));
  EXPECT_EQ(font.base, 0u);
  EXPECT_TRUE(glIsList(lists));
  glDeleteLists(lists, 96);

  font.createFont("Times New Roman", 40, 400, 0, 0);
  GLuint first = font.base;
  font.createFont("Times New Roman", 50, 400, 0, 0);  // the earlier lists are given back
  EXPECT_TRUE(font.base == first || !glIsList(first));
  font.releaseFont();
  font.releaseFont();
  EXPECT_EQ(font.base, 0u);

  startTextPage(800, 600);
  glRasterPos2i(-300, 0);
  float start = rasterX();
  font.printText("Hi");  // a released font calls no lists at all
  EXPECT_EQ(rasterX(), start);

  {
    BitmapFont scoped;
    scoped.createFont("Impact", 40, 400, 0, 0);
    first = scoped.base;
  }
  EXPECT_FALSE(glIsList(first));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BitmapFontTest, CreditWordsFitTheirPageAndTextPagesRender) {
  // The credit scene's word page: Impact at 100 pixels from the page's left edge, on the
  // 512 x 512 capture viewport. The scene cuts the first line at 0.4 of the page width
  // between the coder's name and "CoDe /", so the face must be condensed enough for that.
  BitmapFont impact;
  impact.createFont("Impact", 100, 400, 0, 0);
  startTextPage(512, 512);
  printAt(impact, -400, 200, "vuro");
  LitBox name = litPixels(0, 0, 512, 512);
  startTextPage(512, 512);
  printAt(impact, -400, 200, "vuro CoDe /");
  LitBox line = litPixels(0, 0, 512, 512);
  EXPECT_LT(name.x1, 205);
  EXPECT_GT(line.x1, 400);
  EXPECT_LE(line.x1, 507);
  EXPECT_EQ(litPixels(name.x1, 0, 205 - name.x1, 512).count, 0);  // the cut falls in the gap

  // A page in each face, to be looked at.
  struct Page {
    const char* family;
    const char* file;
  };
  const Page pages[] = {{"Trebuchet MS", "bitmap_font_page_trebuchet"},
                        {"Times New Roman", "bitmap_font_page_times"},
                        {"Impact", "bitmap_font_page_impact"}};
  for (const Page& page : pages) {
    BitmapFont big, italic, small, underlined;
    big.createFont(page.family, 100, 400, 0, 0);
    italic.createFont(page.family, 50, 400, 1, 0);
    small.createFont(page.family, 30, 400, 0, 0);
    underlined.createFont(page.family, 35, 700, 0, 1);
    startTextPage(800, 600);
    printAt(big, -380, 170, page.family);
    printAt(italic, -380, 80, "Go ahead in the tunnel");
    printAt(small, -380, 10, "ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789");
    printAt(small, -380, -40, "abcdefghijklmnopqrstuvwxyz !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
    printAt(underlined, -380, -110, "Underlined and bold");
    glColor3f(1, 0.6f, 0.2f);
    printAt(small, -380, -200, "we T.e.v.O. consist of only 2 members now.");
    saveTestPicture(page.file);
    // Every line left ink in its band of the screen.
    const int baselines[] = {170, 80, 10, -40, -110, -200};
    for (int y : baselines)
      EXPECT_GT(litPixels(0, 300 + y, 800, 20).count, 20) << page.family << " line at " << y;
  }
}
