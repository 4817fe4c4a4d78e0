#include "platform/GlProcs.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "tests/GlTestContext.h"

#include <array>
#include <string>
#include <vector>

namespace {
std::vector<unsigned char> screenBytes() {
  std::vector<unsigned char> rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

// The state printing may touch or that later drawing reads, raster position included.
std::vector<float> stateAfterText() {
  std::vector<float> v;
  for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST,
                     GL_CULL_FACE, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    v.push_back(glIsEnabled(cap));
  for (GLenum name : {GL_TEXTURE_BINDING_2D, GL_MATRIX_MODE, GL_ALPHA_TEST_FUNC, GL_LIST_BASE,
                      GL_TEXTURE_ENV_MODE, GL_CURRENT_RASTER_POSITION_VALID}) {
    GLint i = -1;
    if (name == GL_TEXTURE_ENV_MODE)
      glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &i);
    else
      glGetIntegerv(name, &i);
    v.push_back(float(i));
  }
  for (GLenum name : {GL_CURRENT_COLOR, GL_CURRENT_TEXTURE_COORDS, GL_CURRENT_RASTER_POSITION,
                      GL_CURRENT_RASTER_COLOR}) {
    GLfloat f[4];
    glGetFloatv(name, f);
    v.insert(v.end(), f, f + 4);
  }
  for (GLenum name : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_TEXTURE_MATRIX}) {
    GLfloat m[16];
    glGetFloatv(name, m);
    v.insert(v.end(), m, m + 16);
  }
  return v;
}

// How the font's own glyph lists draw the text: the reference the cached quad must match.
void printWithLists(const BitmapFont& font, const std::string& text) {
  glDisable(GL_LIGHTING);
  glPushAttrib(GL_LIST_BIT);
  glListBase(font.base - 32);
  glCallLists(GLsizei(text.size()), GL_UNSIGNED_BYTE, text.data());
  glPopAttrib();
}

struct Scene {
  float r, g, b, a;
  bool blend;
  bool depth;  // a nearer quad over part of the text hides it
  int x, y;    // raster position in the overlay space
};

// The scene's frame with the text drawn one way; state read right after the text.
std::vector<unsigned char> drawScene(const BitmapFont& font, const Scene& s,
                                     const std::string& text, bool cached,
                                     std::vector<float>* state) {
  glClearColor(0.2f, 0.3f, 0.4f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  setOrtho();
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  if (s.depth) {
    glEnable(GL_DEPTH_TEST);
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);  // at eye z = 100, in front of the text's raster z = 0
    glVertex3i(-100, -50, 100);
    glVertex3i(0, -50, 100);
    glVertex3i(0, 50, 100);
    glVertex3i(-100, 50, 100);
    glEnd();
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  if (s.blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glEnable(GL_TEXTURE_2D);  // enabled with texture 0 bound, as after the letterbox
  glBindTexture(GL_TEXTURE_2D, 0);
  glColor4f(s.r, s.g, s.b, s.a);
  glRasterPos2i(s.x, s.y);
  glColor4f(1, 0, 1, 1);  // the raster position latched the colour before this one
  if (cached)
    font.printText(text.c_str());
  else
    printWithLists(font, text);
  *state = stateAfterText();
  // Text after text: the raster position moved on the same.
  if (cached)
    font.printText("..");
  else
    printWithLists(font, "..");
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  return screenBytes();
}
}  // namespace

class CachedTextTest : public GlTest {};

// The cached quad against the glyph lists: the same pixels, the same raster move and the same
// state, drawn the first time (when the text is laid out) and again from the cache.
TEST_F(CachedTextTest, CachedTextGivesTheListsPixelsAndState) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 30, 400, 0, 0);
  ASSERT_NE(font.base, 0u);
  const std::string text = "thank you for watching KELVARN, Wj_|";
  for (const Scene& s : {Scene{1, 1, 1, 1, false, false, -300, 100},
                         Scene{0.9f, 0.3f, 0.1f, 0.5f, true, false, -320, -200},
                         Scene{0, 0, 0, 1, false, true, -250, -10}}) {
    std::vector<float> listState, cachedState;
    const std::vector<unsigned char> lists = drawScene(font, s, text, false, &listState);
    for (int round = 0; round < 2; ++round) {
      const std::vector<unsigned char> cached = drawScene(font, s, text, true, &cachedState);
      EXPECT_TRUE(cached == lists) << "raster at " << s.x << ", " << s.y << " round " << round;
      EXPECT_EQ(cachedState, listState) << "raster at " << s.x << ", " << s.y;
    }
    size_t lit = 0;
    for (size_t i = 0; i < lists.size(); i += 3)
      if (lists[i] != 51 || lists[i + 1] != 77 || lists[i + 2] != 102) ++lit;
    EXPECT_GT(lit, 300u) << "the text drew something";
  }
  font.releaseFont();
  EXPECT_EQ(font.cache, nullptr);
}

// A raster position outside the screen draws nothing and moves nothing; a text running out of
// the viewport is drawn by the lists, clipped only at the window's edge as bitmaps are.
TEST_F(CachedTextTest, InvalidOrEdgeRasterPositionsBehaveAsTheLists) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 30, 400, 0, 0);
  std::vector<float> listState, cachedState;
  const std::string text = "these sentencess now (31 Mar 2006 5:27).";
  for (int x : {-420, 250}) {
    const Scene s{1, 1, 0, 1, false, false, x, 0};
    const std::vector<unsigned char> lists = drawScene(font, s, text, false, &listState);
    const std::vector<unsigned char> cached = drawScene(font, s, text, true, &cachedState);
    EXPECT_TRUE(cached == lists) << "raster x " << x;
    EXPECT_EQ(cachedState, listState) << "raster x " << x;
  }
  // Inside a smaller viewport, text reaching past it still draws outside it.
  glViewport(0, 0, 512, 512);
  const Scene s{1, 1, 1, 1, false, false, 0, 0};
  const std::vector<unsigned char> lists = drawScene(font, s, text, false, &listState);
  const std::vector<unsigned char> cached = drawScene(font, s, text, true, &cachedState);
  EXPECT_TRUE(cached == lists);
  EXPECT_EQ(cachedState, listState);
  glViewport(0, 0, 800, 600);
}

// The forced GL 1.1 path prints through the glyph lists every time and caches nothing, with the
// same pixels and state; the default path caches each text once.
TEST_F(CachedTextTest, ForcedFixedFunctionPrintsWithTheListsOnly) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 30, 400, 0, 0);
  ASSERT_NE(font.base, 0u);
  const std::string text = "Thank you very mach.";
  const Scene s{1, 1, 1, 1, false, false, -300, 0};
  std::vector<float> listState, forcedState, cachedState;
  const std::vector<unsigned char> lists = drawScene(font, s, text, false, &listState);
  forceFixedFunction(true);
  const std::vector<unsigned char> forced = drawScene(font, s, text, true, &forcedState);
  forceFixedFunction(false);
  EXPECT_EQ(font.cachedTextCount(), 0u);
  EXPECT_TRUE(forced == lists);
  EXPECT_EQ(forcedState, listState);
  const std::vector<unsigned char> cached = drawScene(font, s, text, true, &cachedState);
  EXPECT_EQ(font.cachedTextCount(), 2u);  // the text and ".."
  EXPECT_TRUE(cached == lists);
  font.releaseFont();
}
