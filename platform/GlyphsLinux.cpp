// Linux: fontconfig finds the face a request names, with the show's own aliases.
#include "platform/Glyphs.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {

int fontconfigWeight(int32_t weight) {
  if (weight <= 0) weight = 400;
  return FcWeightFromOpenType(std::min<int32_t>(weight, 1000));
}

// Families the request names with full strength: the family itself and the aliases that
// configuration files declare as its equals. Fallbacks to generic families are weak.
std::vector<std::string> strongFamilies(const FcPattern* pattern) {
  std::vector<std::string> families;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch;
       ++i) {
    if (value.type == FcTypeString && binding == FcValueBindingStrong)
      families.emplace_back(reinterpret_cast<const char*>(value.u.s));
  }
  return families;
}

bool hasFamily(const FcPattern* font, const std::vector<std::string>& wanted) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    for (const std::string& family : wanted)
      if (strcasecmp(family.c_str(), reinterpret_cast<const char*>(name)) == 0) return true;
  }
  return false;
}

FontMatch describeMatch(const FcPattern* font, const std::vector<std::string>& wanted) {
  FontMatch match;
  FcChar8* text = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &text) == FcResultMatch)
    match.file = reinterpret_cast<const char*>(text);
  if (FcPatternGetString(font, FC_FAMILY, 0, &text) == FcResultMatch)
    match.family = reinterpret_cast<const char*>(text);
  FcPatternGetInteger(font, FC_INDEX, 0, &match.index);
  FcBool embolden = FcFalse;
  if (FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
    match.embolden = embolden == FcTrue;
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(font, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
    match.shear[0] = matrix->xx;
    match.shear[1] = matrix->xy;
    match.shear[2] = matrix->yx;
    match.shear[3] = matrix->yy;
  }
  match.substituted = !hasFamily(font, wanted);
  return match;
}

}  // namespace

bool loadFontAliases(const char* path) {
  static bool tried = false;
  static bool loaded = false;
  if (tried) return loaded;
  tried = true;
  // fontconfig reads a relative name from its own folder, so name the file in full.
  char* fullPath = realpath(path, nullptr);
  FcConfig* config = FcConfigGetCurrent();
  loaded = fullPath && config &&
           FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(fullPath), FcTrue);
  std::free(fullPath);
  // The configuration is already built; the font folders the file adds (the faces the show
  // carries) are only scanned when the font set is built again.
  if (loaded) FcConfigBuildFonts(config);
  if (!loaded)
    std::fprintf(stderr, "kelvarn: cannot read the font aliases in %s; system fonts stand in\n",
                 path);
  return loaded;
}

FontMatch findFont(const FontRequest& request) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, fontconfigWeight(request.weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, glyphPixelHeight(request.height));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  std::vector<std::string> wanted = strongFamilies(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(nullptr, pattern, &result);
  FontMatch match;
  if (font) match = describeMatch(font, wanted);
  else match.substituted = true;
  FcPatternDestroy(font);
  FcPatternDestroy(pattern);
  return match;
}
