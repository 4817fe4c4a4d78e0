// The two title pictures. The opening scene punches three black holes into each
// and turns cog wheels inside them, and adds a blurred copy on top, so the
// pictures stay dark and let thin bright edges carry the glow. Every hole gets a
// machined plate around it; the lettering keeps well clear of the plates.
#include "tools/paint/lettering.h"
#include "tools/paint/pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr double kTurn = 6.283185307179586;

const HoleSpot kLogo1Holes[3] = {{730, 80, 145}, {800, 270, 96}, {570, 30, 65}};
const HoleSpot kLogo2Holes[3] = {{70, 520, 145}, {0, 330, 96}, {230, 570, 65}};

struct LogoLayout {
    const HoleSpot* holes;
    Colour accent;        // colour of the lit edges and dials
    Colour metalTop;      // plate colour at the top of a shape
    Colour metalBottom;   // and at its bottom
    double titleX, titleY, titleHeight;
    double makerX, makerY, makerHeight;
    std::vector<std::vector<double>> struts;  // polylines x0 y0 x1 y1 ... of the frame
    double sketchX, sketchY;                  // centre of the gear-train drawing
    uint32_t seed;
};

void paintBackdrop(Image& img, const LogoLayout& layout)
{
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            // Brushed plate: long streaks along x.
            const float streak = tileFbm(x / 90.0f, y / 2.5f, 64, 3, layout.seed);
            const float dx = (x - 400.0f) / 400.0f, dy = (y - 300.0f) / 300.0f;
            const float vignette = 1.0f - 0.45f * (dx * dx + dy * dy);
            const float v = (0.028f + 0.03f * streak) * vignette;
            setPixel(img, x, y, {v * 0.9f, v * 0.95f, v * 1.1f});
        }
    // A faint engineering grid.
    Mask grid = rasterise(kWidth, kHeight, [](cairo_t* cr) {
        cairo_set_line_width(cr, 1);
        for (int x = 0; x <= kWidth; x += 40) {
            cairo_move_to(cr, x + 0.5, 0);
            cairo_line_to(cr, x + 0.5, kHeight);
        }
        for (int y = 0; y <= kHeight; y += 40) {
            cairo_move_to(cr, 0, y + 0.5);
            cairo_line_to(cr, kWidth, y + 0.5);
        }
        cairo_stroke(cr);
    });
    addMask(img, grid, scaleColour(layout.accent, 0.035f));
}

// Shadow, brushed metal body, chamfer line and lit edges for any shape.
void paintMachined(Image& img, const Mask& shape, const LogoLayout& layout, float top, float bottom,
                   float edgeGain)
{
    Mask shadow = makeMask(shape.width, shape.height);
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            shadow.a[size_t(y) * shape.width + x] = coverageAt(shape, x - 7, y - 9);
    paintMask(img, blurMask(shadow, 5), {0, 0, 0}, 0.85f);

    paintMaskWith(img, shape, [&](int x, int y) {
        const float k = std::clamp((float(y) - top) / std::max(1.0f, bottom - top), 0.0f, 1.0f);
        Colour c = mixColour(layout.metalTop, layout.metalBottom, k);
        const float brushed = 0.75f + 0.5f * tileFbm(x / 60.0f, y / 1.5f, 64, 2, layout.seed + 7);
        const float groove = (y % 4 == 0) ? 0.8f : 1.0f;
        return scaleColour(c, brushed * groove);
    });

    const Mask inner1 = erodeMask(shape, 4);
    const Mask inner2 = erodeMask(shape, 5);
    addMask(img, subtractMask(inner1, inner2), scaleColour(layout.accent, 0.22f * edgeGain));
    addMask(img, subtractMask(shape, erodeMask(shape, 1)), scaleColour(layout.accent, 0.45f * edgeGain));
    addMask(img, edgeFacing(shape, 2, 2), scaleColour({0.9f, 0.95f, 1.0f}, 0.85f * edgeGain));
    addMask(img, edgeFacing(shape, -2, -2), scaleColour(layout.accent, 0.2f * edgeGain));
}

void toothedRing(cairo_t* cr, double cx, double cy, double inner, double outer, int teeth, double phase)
{
    const double step = kTurn / teeth;
    for (int i = 0; i <= teeth; ++i) {
        const double a = phase + i * step;
        const double pts[4][2] = {{inner, a}, {outer, a + step * 0.18}, {outer, a + step * 0.48}, {inner, a + step * 0.66}};
        for (int k = 0; k < 4; ++k) {
            const double px = cx + pts[k][0] * std::cos(pts[k][1]);
            const double py = cy + pts[k][0] * std::sin(pts[k][1]);
            if (i == 0 && k == 0)
                cairo_move_to(cr, px, py);
            else
                cairo_line_to(cr, px, py);
        }
    }
    cairo_close_path(cr);
}

// Machined plate round a hole: a bolted collar, a bright lip at the hole's edge,
// a dial of ticks outside and a thin toothed ring beyond that.
void paintHolePlate(Image& img, const HoleSpot& h, const LogoLayout& layout, int index)
{
    const double collar = 30 + h.radius * 0.05;
    Mask plate = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_arc(cr, h.x, h.y, h.radius + collar, 0, kTurn);
        cairo_new_sub_path(cr);
        cairo_arc_negative(cr, h.x, h.y, h.radius + 2, kTurn, 0);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
    });
    paintMachined(img, plate, layout, float(h.y - h.radius - collar), float(h.y + h.radius + collar), 1.0f);

    // Bolts round the collar.
    const double boltRing = h.radius + collar * 0.55;
    const int bolts = std::max(8, int(std::lround(kTurn * boltRing / 34.0)));
    Mask boltHeads = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        for (int i = 0; i < bolts; ++i) {
            const double a = kTurn * (i + 0.5) / bolts;
            cairo_arc(cr, h.x + boltRing * std::cos(a), h.y + boltRing * std::sin(a), 4.2, 0, kTurn);
            cairo_fill(cr);
        }
    });
    paintMask(img, boltHeads, {0.05f, 0.05f, 0.06f});
    addMask(img, edgeFacing(boltHeads, 2, 2), {0.95f, 0.95f, 0.95f});
    addMask(img, edgeFacing(boltHeads, -1, -1), scaleColour(layout.accent, 0.4f));

    // The lip: a bright ring just outside the hole's edge.
    Mask lip = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 2.5);
        cairo_arc(cr, h.x, h.y, h.radius + 4, 0, kTurn);
        cairo_stroke(cr);
    });
    addMask(img, lip, mixColour(layout.accent, {1, 1, 1}, 0.5f));

    // Dial ticks outside the collar, a long one every sixth.
    const double dial = h.radius + collar + 5;
    Mask ticks = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 1.6);
        const int count = 72;
        for (int i = 0; i < count; ++i) {
            const double a = kTurn * i / count;
            const double len = (i % 6 == 0) ? 14 : 6;
            cairo_move_to(cr, h.x + dial * std::cos(a), h.y + dial * std::sin(a));
            cairo_line_to(cr, h.x + (dial + len) * std::cos(a), h.y + (dial + len) * std::sin(a));
        }
        cairo_stroke(cr);
    });
    addMask(img, ticks, scaleColour(layout.accent, 0.7f));

    Mask teeth = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 1.4);
        const double r0 = dial + 22 + index * 4;
        toothedRing(cr, h.x, h.y, r0, r0 + 12, int(r0 / 9), 0.1 * index);
        cairo_stroke(cr);
        cairo_arc(cr, h.x, h.y, r0 - 6, 0, kTurn);
        cairo_stroke(cr);
    });
    addMask(img, teeth, scaleColour(layout.accent, 0.42f));
}

void dashedCircle(cairo_t* cr, double cx, double cy, double r)
{
    const int dashes = std::max(12, int(r / 4));
    for (int i = 0; i < dashes; ++i) {
        const double a = kTurn * i / dashes;
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, r, a, a + kTurn / dashes * 0.55);
    }
    cairo_stroke(cr);
}

void crossHair(cairo_t* cr, double cx, double cy, double size)
{
    cairo_move_to(cr, cx - size, cy);
    cairo_line_to(cr, cx + size, cy);
    cairo_move_to(cr, cx, cy - size);
    cairo_line_to(cr, cx, cy + size);
    cairo_stroke(cr);
}

// A dim technical drawing of two meshing gears with their pitch circles and a
// dimension line: the mechanical motif in the open part of the picture.
void paintGearSketch(Image& img, const LogoLayout& layout)
{
    const double ax = layout.sketchX, ay = layout.sketchY;
    const double bx = ax + 112, by = ay + 26;
    Mask lines = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 1.2);
        toothedRing(cr, ax, ay, 62, 72, 20, 0.0);
        cairo_stroke(cr);
        toothedRing(cr, bx, by, 34, 44, 12, 0.13);
        cairo_stroke(cr);
        for (double r : {14.0, 40.0})
            cairo_arc(cr, ax, ay, r, 0, kTurn), cairo_stroke(cr);
        for (double r : {9.0, 22.0})
            cairo_arc(cr, bx, by, r, 0, kTurn), cairo_stroke(cr);
        cairo_set_line_width(cr, 0.9);
        dashedCircle(cr, ax, ay, 67);
        dashedCircle(cr, bx, by, 39);
        crossHair(cr, ax, ay, 84);
        crossHair(cr, bx, by, 54);
        // Dimension line between the two centres, with end marks.
        const double y = ay + 98;
        cairo_move_to(cr, ax, ay + 76);
        cairo_line_to(cr, ax, y + 6);
        cairo_move_to(cr, bx, by + 48);
        cairo_line_to(cr, bx, y + 6);
        cairo_move_to(cr, ax, y);
        cairo_line_to(cr, bx, y);
        cairo_stroke(cr);
        for (double x : {ax, bx}) {
            const double dir = x == ax ? 1 : -1;
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x + dir * 9, y - 3.5);
            cairo_line_to(cr, x + dir * 9, y + 3.5);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    });
    addMask(img, lines, scaleColour(layout.accent, 0.34f));
}

void paintStruts(Image& img, const LogoLayout& layout)
{
    Mask struts = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 22);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        for (const std::vector<double>& line : layout.struts) {
            for (size_t i = 0; i + 1 < line.size(); i += 2) {
                if (i == 0)
                    cairo_move_to(cr, line[i], line[i + 1]);
                else
                    cairo_line_to(cr, line[i], line[i + 1]);
            }
            cairo_stroke(cr);
        }
    });
    paintMachined(img, struts, layout, 0, kHeight, 0.8f);

    // Rivets down the middle of each strut.
    Mask rivets = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        for (const std::vector<double>& line : layout.struts)
            for (size_t i = 0; i + 3 < line.size(); i += 2) {
                const double x0 = line[i], y0 = line[i + 1], x1 = line[i + 2], y1 = line[i + 3];
                const double len = std::hypot(x1 - x0, y1 - y0);
                const int n = int(len / 28);
                for (int k = 1; k < n; ++k) {
                    const double f = double(k) / n;
                    cairo_arc(cr, x0 + (x1 - x0) * f, y0 + (y1 - y0) * f, 2.6, 0, kTurn);
                    cairo_fill(cr);
                }
            }
    });
    paintMask(img, rivets, {0.02f, 0.02f, 0.03f});
    addMask(img, edgeFacing(rivets, 1, 1), {0.8f, 0.8f, 0.85f});
}

void paintLettering(Image& img, const LogoLayout& layout)
{
    LetterStyle title;
    title.capHeight = layout.titleHeight;
    title.stroke = layout.titleHeight * 0.2;
    title.tracking = layout.titleHeight * 0.11;
    Mask titleMask = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        drawWord(cr, "KELVARN", layout.titleX, layout.titleY, title);
    });
    paintMachined(img, titleMask, layout, float(layout.titleY), float(layout.titleY + layout.titleHeight), 1.3f);
    // A bright score along the middle of every stroke.
    Mask spine = subtractMask(erodeMask(titleMask, int(title.stroke * 0.5) - 2),
                              erodeMask(titleMask, int(title.stroke * 0.5) - 1));
    addMask(img, spine, scaleColour(layout.accent, 0.5f));

    LetterStyle maker;
    maker.capHeight = layout.makerHeight;
    maker.stroke = layout.makerHeight * 0.17;
    maker.tracking = layout.makerHeight * 0.16;
    Mask makerMask = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        drawWord(cr, "T.e.v.O.", layout.makerX, layout.makerY, maker);
    });
    paintMachined(img, makerMask, layout, float(layout.makerY), float(layout.makerY + layout.makerHeight), 1.2f);
    addMask(img, subtractMask(makerMask, erodeMask(makerMask, 1)), scaleColour(layout.accent, 0.6f));

    // Rules that run from the maker's name, with measuring ticks.
    const double width = measureWord("T.e.v.O.", maker);
    Mask rule = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
        const double y = layout.makerY + layout.makerHeight + 14.5;
        cairo_set_line_width(cr, 1.5);
        cairo_move_to(cr, layout.makerX, y);
        cairo_line_to(cr, layout.makerX + width + 120, y);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 1.2);
        for (int i = 0; i <= 24; ++i) {
            const double x = layout.makerX + i * (width + 120) / 24;
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x, y + (i % 4 == 0 ? 8 : 4));
        }
        cairo_stroke(cr);
    });
    addMask(img, rule, scaleColour(layout.accent, 0.55f));
}

// The hole interiors are punched black at run time; keep them a dark recess here
// so the edge of the disc never shows a seam.
void darkenHoles(Image& img, const LogoLayout& layout)
{
    for (int i = 0; i < 3; ++i) {
        const HoleSpot& h = layout.holes[i];
        Mask disc = rasterise(kWidth, kHeight, [&](cairo_t* cr) {
            cairo_arc(cr, h.x, h.y, h.radius + 1.5, 0, kTurn);
            cairo_fill(cr);
        });
        paintMaskWith(img, disc, [&](int x, int y) {
            const float d = float(std::hypot(x - h.x, y - h.y) / h.radius);
            const float v = 0.012f + 0.02f * d * d;
            return Colour{v, v, v * 1.2f};
        });
    }
}

Image paintLogo(const LogoLayout& layout)
{
    Image img = makeImage(kWidth, kHeight, {0, 0, 0});
    paintBackdrop(img, layout);
    paintGearSketch(img, layout);
    paintStruts(img, layout);
    for (int i = 0; i < 3; ++i)
        paintHolePlate(img, layout.holes[i], layout, i);
    paintLettering(img, layout);
    darkenHoles(img, layout);
    return img;
}

}  // namespace

const HoleSpot* logo1Holes()
{
    return kLogo1Holes;
}

const HoleSpot* logo2Holes()
{
    return kLogo2Holes;
}

Image paintLogo1()
{
    LogoLayout layout;
    layout.holes = kLogo1Holes;
    layout.accent = {0.35f, 0.78f, 1.0f};
    layout.metalTop = {0.24f, 0.26f, 0.30f};
    layout.metalBottom = {0.07f, 0.08f, 0.10f};
    layout.titleX = 46;
    layout.titleY = 398;
    layout.titleHeight = 122;
    layout.makerX = 52;
    layout.makerY = 58;
    layout.makerHeight = 52;
    layout.struts = {{800, 270, 640, 340, 0, 340}};
    layout.sketchX = 190;
    layout.sketchY = 214;
    layout.seed = 11;
    return paintLogo(layout);
}

Image paintLogo2()
{
    LogoLayout layout;
    layout.holes = kLogo2Holes;
    layout.accent = {1.0f, 0.62f, 0.22f};
    layout.metalTop = {0.27f, 0.23f, 0.18f};
    layout.metalBottom = {0.08f, 0.065f, 0.05f};
    layout.titleX = 46;
    layout.titleY = 62;
    layout.titleHeight = 122;
    layout.makerX = 520;
    layout.makerY = 470;
    layout.makerHeight = 52;
    layout.struts = {{0, 330, 160, 262, 800, 262}};
    layout.sketchX = 470;
    layout.sketchY = 340;
    layout.seed = 23;
    return paintLogo(layout);
}
