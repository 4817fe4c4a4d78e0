#pragma once
#include <cstdint>

struct Texture;

// Immediate-mode shapes the scenes draw every frame, centred on the current origin, one axis
// normal per face. Sizes are full extents. They set no colour, material or enable state; the
// card box binds its textures and always ends with texturing off.

// Origin and extent of a picture's part in texture coordinates.
struct TextureRect {
  float s0 = 0.0f;
  float t0 = 0.0f;
  float ds = 1.0f;
  float dt = 1.0f;
};

// A w x h rectangle in the plane z = 0 facing +z that shows a JPG texture upright; a repeat
// above 1 tiles it.
void drawFlatQuad(float width, float height, float repeat);
void drawCube(float edge);
// A frustum along x: the -x end a square of innerSide, the +x end a square of outerSide.
void drawTaperedBox(float innerSide, float outerSide, float length);
// A box with the picture part on its front (+z) and back (-z) faces. Either texture may be
// null: without a front the caller's texture state draws the front, without a back the front
// texture stays bound for the back.
void drawCardBox(float width, float height, float depth, const TextureRect& rect, Texture* front,
                 Texture* back);
// The front (+z) or back (-z) face of a width x height x depth box with the picture part on
// it, upright seen from the front and turned over seen from the back, as one quad of its own
// (glBegin to glEnd); binds the texture first unless it is null.
enum class BoxFace { Front, Back };
void drawBoxPictureFace(BoxFace face, float width, float height, float depth,
                        const TextureRect& rect, Texture* texture);
// count tapered boxes around z in the xy plane, pointing outwards, the first at 360 / count
// degrees. A count below 1 draws nothing.
void drawBoxRing(float radius, int32_t count, float innerSide, float outerSide, float length);
// count card boxes standing around y at the radius, facing outwards. Turns the current matrix
// by 180 degrees about z first and leaves it turned, so a captured picture reads upright.
void drawCardCarousel(float radius, int32_t count, float width, float height, float depth,
                      Texture* front, Texture* back);
