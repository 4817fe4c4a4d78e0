#pragma once
// What tells the four chapter cards apart, and the camera they share, open to their tests.

struct KeyTrack;

struct CardLine {
  const char* text;  // null: no line
  int x, y;          // raster position in the overlay space
};

struct CardDesign {
  float eyeLift;          // height of the orbiting eye at the top of its swing
  bool beatDriven;        // ring spin and look-at shake follow the beat (Shift 1)
  bool lightAtEye;        // first frame: fog off and the light a point light at the eye
  float fadeInColour[3];  // over the first tenth, from alpha 1 down
  double fadeOutStart;    // compared with t as a float, subtracted from it in double
  float fadeOutRate;
  float fadeOutColour[3];
  CardLine lines[5];  // the first in the big font, the others in the small one
};

// Shift 1 to Shift 4.
extern const CardDesign cardDesigns[4];

struct CardCamera {
  float eye[3];
  float centre[3];
  float spin;  // degrees of the ring of teeth
};

// Where a card's camera stands at t: once round the carousel until 0.75, a dolly in to 0.78,
// then still. cameraTrack holds the dolly. A beat-driven card advances spinAngle inside the
// beat windows and shakes the look-at centre there.
CardCamera placeCardCamera(const CardDesign& design, KeyTrack& cameraTrack, float t,
                           float& spinAngle);
