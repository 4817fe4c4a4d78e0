#pragma once
// The credit chapter's pieces that are worth looking at on their own.
#include "geometry/Shapes.h"

struct BitmapFont;
struct Texture;

// Where the words sit on the pages: the role cards' and the name labels' rectangles of the word
// page, and the thumbnail's rectangle of the credit page.
extern const TextureRect cardRects[4];
extern const TextureRect labelRects[2];
extern const TextureRect thumbnailRect;

// The names and roles in "Impact", blurred so that they glow.
void paintWordPage(Texture& page, const BitmapFont& impact);
// The heading in "Impact" and the credit text in "Times New Roman", sharp.
void paintCreditPage(Texture& page, const BitmapFont& impact, const BitmapFont& times);

// The spinning name label, cut from the word page, in 3D right of the centre.
void drawNameLabel(float t, Texture& page);
// The two flip cards of the roles, cut from the word page, top left in 2D.
void drawRoleCards(float t, Texture& page);
// Where the backdrop's eye stands at t: on an orbit at both ends, along two key tracks between
// 0.25 and 0.815, with cuts at 0.25, 0.5 and 0.815. Writes three floats.
void creditBackdropEye(float t, float* eye);
