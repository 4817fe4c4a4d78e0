#pragma once
// The tunnel's pieces that are worth looking at on their own.
struct BitmapFont;
struct Texture;

// One line of the interlude. It is printed once onto the text page at `printX`, `printY` and cut
// back out of the band 0 .. `right` by `bottom` .. `top` (page coordinates, v = 0 at the bottom).
// On screen it slides along x = slideFrom + (t - slideStart) * slideSpeed at height y, shows
// only for t above `shownAfter`, its alpha rising from `riseFrom` at `riseRate` until `peak`
// and falling at `fallRate` after it; from the peak on it turns bluer.
struct TunnelLine {
  const char* text;
  int printX, printY;
  float right, bottom, top;
  float shownAfter;
  float slideFrom, slideStart, slideSpeed, y;
  float riseFrom, riseRate, peak, fallRate;
  float blueAfterPeak;
};

extern const TunnelLine tunnelLines[4];

// The four lines printed white onto the page once, blurred into a soft glow.
void paintTunnelTextPage(Texture& page, const BitmapFont& font);

// Where the tunnel camera stands at t: skimming the wall looking slightly inwards before the
// text interlude, along the tube beside the pipe after it, rolling about the view axis from
// t above 0.7. The up vector points towards the torus axis.
struct TunnelCamera {
  float eye[3];
  float centre[3];
  float up[3];

  void lookAt() const;
};

TunnelCamera tunnelCamera(float t);

// The four glowing lines of the interlude, cut from the text page, additively on black.
void drawTunnelTexts(float t, Texture& page);
