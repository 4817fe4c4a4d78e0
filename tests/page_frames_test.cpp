// The words the greetings and the chapter cards paint into their text pages, in the faces that
// stand in for "Trebuchet MS": every greeted name whole inside its frame with no letter on the
// frame's edges, and every card line inside its page, none running off an edge of it.
#include "render/BitmapFont.h"
#include "render/Glow.h"
#include "render/GlState.h"
#include "render/Texture.h"
#include "scenes/Greetings.h"
#include "scenes/TitleCardParts.h"
#include "tests/GlTestContext.h"
#include "tests/SceneChecks.h"

#include <SDL_opengl.h>

#include <string>
#include <vector>

namespace {

class PageFrames : public GlTest {};

// The brightest texel of the page's outermost rows and columns.
int brightestOnBorder(const PageImage& page) {
  int most = 0;
  for (int i = 0; i < page.size; ++i) {
    most = std::max({most, page.brightness(i, 0), page.brightness(i, page.size - 1),
                     page.brightness(0, i), page.brightness(page.size - 1, i)});
  }
  return most;
}

}  // namespace

TEST_F(PageFrames, GreetedNamesKeepInsideTheirFrames) {
  Texture page = createRenderTarget(512, 512, 1);
  glColor4f(1, 1, 1, 1);  // as start-up leaves it for the page
  paintNamePage(page);
  const PageImage image = readPage(page);

  std::vector<PageFrame> frames;
  for (const GreetName& name : greetNames)
    frames.push_back({name.text, name.rect[0], name.rect[1], name.rect[0] + name.rect[2],
                      name.rect[1] + name.rect[3]});
  savePageWithFrames(image, frames, "greetings_name_page");
  for (const PageFrame& frame : frames) {
    EXPECT_GT(brightestInside(image, frame), 200) << frame.name;
    // The page is not blurred: a frame edge meets no lit texel, neither of its own name nor
    // of a neighbour's.
    EXPECT_LT(brightestOnEdges(image, frame), 128) << frame.name;
  }
  // Beyond every frame's right edge on its own rows, nothing of its name is left over, except
  // for the first: its frame shows "7 4 9" and leaves "RU-O" out.
  for (size_t k = 1; k < frames.size(); ++k) {
    PageFrame rest = frames[k];
    rest.u0 = rest.u1 + 1.0f / 512;
    rest.u1 = 1.0f;
    EXPECT_EQ(brightestInside(image, rest), 0) << frames[k].name;
  }
}

TEST_F(PageFrames, CardLinesKeepInsideTheirPages) {
  BitmapFont big, small;
  createFont(big, "Trebuchet MS", 100, 400, 1, 0);
  createFont(small, "Trebuchet MS", 40, 400, 1, 0);
  for (int card = 0; card < 4; ++card) {
    Texture page = createRenderTarget(512, 512, 1);
    glDisable(GL_LIGHTING);
    setOrtho();
    glLoadIdentity();
    page.beginCapture(0, 0, 0, 1);
    glColor3f(1, 1, 1);
    for (int i = 0; i < 5; ++i) {
      const CardLine& line = cardDesigns[card].lines[i];
      if (!line.text) continue;
      glRasterPos2i(line.x, line.y);
      printText(i == 0 ? big : small, line.text);
    }
    captureGlow(page, 5);
    setPerspective(60);
    const PageImage image = readPage(page);
    savePageWithFrames(image, {}, "card_lines_" + std::to_string(card + 1));
    EXPECT_GT(brightestInside(image, {"page", 0, 0, 1, 1}), 200) << "Shift " << card + 1;
    EXPECT_LT(brightestOnBorder(image), 128) << "Shift " << card + 1;
  }
  releaseFont(small);
  releaseFont(big);
}
