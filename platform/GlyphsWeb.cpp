// A browser: no fontconfig, so the faces the Linux build finds for the show's three families
// travel with the page in data/fonts/, and this table stands for the aliases in fonts.conf.
#include "platform/Glyphs.h"

#include <strings.h>

#include <cstdlib>

namespace {
struct Face {
  const char* family;  // the family the show asks for
  const char* name;    // the face that stands in for it
  const char* file;
  int weight;
  bool italic;
  double height;  // vertical scale of the outlines (fonts.conf's matrix for Anton)
};

const Face faces[] = {
    {"Trebuchet MS", "Cabin", "data/fonts/Cabin-Regular.otf", 400, false, 1.0},
    {"Trebuchet MS", "Cabin", "data/fonts/Cabin-Italic.otf", 400, true, 1.0},
    {"Trebuchet MS", "Cabin", "data/fonts/Cabin-Bold.otf", 700, false, 1.0},
    {"Times New Roman", "Liberation Serif", "data/fonts/LiberationSerif-Regular.ttf", 400, false,
     1.0},
    {"Times New Roman", "Liberation Serif", "data/fonts/LiberationSerif-Italic.ttf", 400, true,
     1.0},
    {"Impact", "Anton", "data/fonts/Anton-Regular.ttf", 400, false, 0.92},
};

bool named(const Face& face, const std::string& family) {
  return strcasecmp(face.family, family.c_str()) == 0 || strcasecmp(face.name, family.c_str()) == 0;
}

}  // namespace

bool loadFontAliases(const char*) { return true; }

// The face of the family closest to the request: the slant first, then the weight. A family
// the show does not carry gets its first face, as a stand-in. Like fontconfig, a face lighter
// than a bold request is thickened and an upright face slanted for an italic one.
FontMatch findFont(const FontRequest& request) {
  const int weight = request.weight <= 0 ? 400 : request.weight;
  const Face* best = nullptr;
  for (const Face& face : faces) {
    if (!named(face, request.family)) continue;
    if (!best || (face.italic == request.italic && best->italic != request.italic) ||
        (face.italic == best->italic &&
         std::abs(face.weight - weight) < std::abs(best->weight - weight)))
      best = &face;
  }
  FontMatch match;
  match.substituted = best == nullptr;
  if (!best) best = &faces[0];
  match.file = best->file;
  match.family = best->name;
  match.embolden = weight >= 600 && best->weight < 600;
  match.shear[3] = best->height;
  if (request.italic && !best->italic) match.shear[1] = 0.2;
  return match;
}
