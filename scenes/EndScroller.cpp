// The end scroller: over a bright background in which the greetings' markers turn once as a
// soft glow, black lines of text scroll up between the cinema bars: the closing words of the
// production, then a note to the audience. Fades in from black and out to black; the show
// ends with it.
#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/MarkerField.h"
#include "scenes/Scenes.h"
#include "scenes/ScreenFade.h"

namespace {
// One line of the scroller: its raster x, its height below the scroll position, whether it is
// printed in the big font, and the words.
struct EndLine {
  int x;
  int yOffset;
  bool big;
  const char* text;
};
const EndLine endLines[] = {
    {-20, -300, false, "ok."},
    {-165, -340, false, "You have been witness of"},
    {-75, -390, true, "KELVARN"},
    {-70, -430, false, "created by"},
    {-235, -480, true, "T.e.v.O. - Vennerly. dro-Ix -"},
    {-100, -530, false, "first released at"},
    {-100, -580, true, "Halvmoot 2006"},
    {-300, -750, false, "thank you for watching KELVARN to the last"},
    {-320, -800, false, "minute."},
    {-300, -850, false, "we made KELVARN itself in about one month,"},
    {-320, -900, false, "especially last 10 days. thus, it thinks about"},
    {-320, -950, false, "these sentencess now (31 Mar 2006 5:27)."},
    {-300, -1000, false, "we have no tool yet. so, KELVARN is made by"},
    {-320, -1050, false, "full (hard) coding."},
    {-300, -1100, false, "... I indeed become tired, so my next assignment"},
    {-320, -1150, false, "is making tools. And we will try to 4k/64k Intro too."},
    {-290, -1200, false, "Modeler, soft synth, motion editor ... etc."},
    {-320, -1250, false, "there are a lot of do."},
    {-300, -1500, false, "Well, the end is just around the corner."},
    {-300, -1550, false, "Thank you very mach."},
    {-300, -1600, false, "See you next Party(summer?)"},
};

const float backgroundGrey[4] = {0.6f, 0.6f, 0.6f, 1.0f};
// How far the text rises over the whole scene, in overlay units.
const float scrollDistance = 1800.0f;

bool firstDrawPending = true;

// Every line at its place for this t, black. Lines whose raster position falls outside the
// screen are not drawn at all, so each appears whole at the bottom and vanishes whole at the top.
void drawEndTexts(float t, BitmapFont& small, BitmapFont& big) {
  setOrtho();
  glDisable(GL_LIGHTING);
  glLoadIdentity();
  glColor3f(0, 0, 0);
  const int scroll = static_cast<int>(t * scrollDistance);
  for (const EndLine& line : endLines) {
    glRasterPos2i(line.x, scroll + line.yOffset);
    (line.big ? big : small).printText(line.text);
  }
}

}  // namespace

void endScroller(int8_t mode, float t) {
  static Texture endSphereTexture;
  static Texture endGlow = createRenderTarget(512, 512, 1);
  static BitmapFont endSmallFont;
  static BitmapFont endBigFont;

  if (mode == 0) {
    endSphereTexture.loadJpg("data/texture/sphere.jpg");
    endSmallFont.createFont("Trebuchet MS", 30, 400, 0, 0);
    endBigFont.createFont("Trebuchet MS", 35, 400, 0, 0);
    firstDrawPending = true;
    return;
  }
  if (mode != 1) return;

  if (firstDrawPending) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    firstDrawPending = false;
  }
  setPerspective(60);
  disableFog(true);

  // The markers as a wireframe over grey, turning once and square to the camera at 0.75; they
  // are only ever seen through their blur.
  endGlow.beginCapture(backgroundGrey[0], backgroundGrey[1], backgroundGrey[2],
                       backgroundGrey[3]);
  gluLookAt(0, 0, 500, 0, 0, 0, 0, 1, 0);
  glRotatef((t - 0.75f) * 360.0f, 0, 1, 0);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  setSphereMap(true);
  drawMarkerGroups(t, endSphereTexture);
  setSphereMap(false);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  captureGlow(endGlow, 2);

  // The blur, grey included, added over the grey screen: the background saturates to white.
  setOverlayBlend(endGlow, GL_SRC_ALPHA, GL_ONE);
  overlayGlow(endGlow, 1.0f, 1);
  drawLetterbox(3);
  drawEndTexts(t, endSmallFont, endBigFont);

  if (t < 0.04f)
    drawScreenFade(0, 0, 0, 1.0f - 25.0f * t);
  else if (t > 0.96f)
    drawScreenFade(0, 0, 0, (t - 0.96f) * 25.0f);
}
