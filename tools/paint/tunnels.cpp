// The two tunnel pictures. The torus repeats each of them 8 times round the tube
// and every 3 of its ring segments, so both wrap seamlessly in x and y: every
// shape is drawn with its copies shifted by the picture size, and every blur and
// noise wraps too.
#include "tools/paint/pictures.h"
#include "tools/xorshift32.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kSize = 256;
constexpr double kTurn = 6.283185307179586;

struct Rng {
    uint32_t state;
};

uint32_t nextRandom(Rng& rng)
{
    return xorshift32(rng.state);
}

int randomBelow(Rng& rng, int n)
{
    return int(nextRandom(rng) % uint32_t(n));
}

struct Trace {
    std::vector<double> points;   // x0 y0 x1 y1 ...
    bool bright;
};

// Circuit traces on a 16-pixel grid: straight runs that bend by 45 degrees.
std::vector<Trace> makeTraces(uint32_t seed, int count)
{
    Rng rng{seed};
    const int dirs[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    std::vector<Trace> traces;
    for (int n = 0; n < count; ++n) {
        Trace t;
        t.bright = randomBelow(rng, 4) == 0;
        int x = randomBelow(rng, 16) * 16 + 8;
        int y = randomBelow(rng, 16) * 16 + 8;
        int d = randomBelow(rng, 4) * 2;   // start horizontal or vertical
        t.points = {double(x), double(y)};
        const int legs = 2 + randomBelow(rng, 3);
        for (int leg = 0; leg < legs; ++leg) {
            const int steps = 1 + randomBelow(rng, (d % 2) ? 2 : 5);
            x += dirs[d][0] * 16 * steps;
            y += dirs[d][1] * 16 * steps;
            t.points.push_back(x);
            t.points.push_back(y);
            d = (d + (randomBelow(rng, 2) ? 1 : 7)) % 8;
        }
        traces.push_back(t);
    }
    return traces;
}

void tracePath(cairo_t* cr, const Trace& t)
{
    for (size_t i = 0; i + 1 < t.points.size(); i += 2) {
        if (i == 0)
            cairo_move_to(cr, t.points[i], t.points[i + 1]);
        else
            cairo_line_to(cr, t.points[i], t.points[i + 1]);
    }
}

}  // namespace

Image paintTunnelGlow()
{
    Image img = makeImage(kSize, kSize, {0, 0, 0});
    const std::vector<Trace> traces = makeTraces(0x5EED1u, 26);

    auto drawTraces = [&](bool bright, double width) {
        return rasterise(kSize, kSize, [&](cairo_t* cr) {
            cairo_set_line_width(cr, width);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            for (const Trace& t : traces)
                if (t.bright == bright) {
                    tracePath(cr, t);
                    cairo_stroke(cr);
                }
        }, true);
    };
    Mask dim = drawTraces(false, 1.4);
    Mask bright = drawTraces(true, 1.8);

    Mask pads = rasterise(kSize, kSize, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 1.3);
        for (const Trace& t : traces) {
            const size_t last = t.points.size() - 2;
            for (size_t i : {size_t(0), last}) {
                cairo_new_sub_path(cr);
                cairo_arc(cr, t.points[i], t.points[i + 1], 3.2, 0, kTurn);
            }
        }
        cairo_stroke(cr);
    }, true);

    // Two energy lines run the whole way round, with a hot core.
    Mask energy = rasterise(kSize, kSize, [&](cairo_t* cr) {
        cairo_set_line_width(cr, 2.0);
        for (double y : {60.5, 188.5}) {
            cairo_move_to(cr, -10, y);
            cairo_line_to(cr, kSize + 10, y);
        }
        cairo_stroke(cr);
    }, true);
    Mask energyHalo = blurMask(energy, 2, 3, true);

    addMask(img, dim, {0.08f, 0.42f, 0.75f});
    addMask(img, bright, {0.3f, 0.95f, 1.0f});
    addMask(img, pads, {0.35f, 0.85f, 1.0f});
    addMask(img, energyHalo, {0.2f, 0.5f, 1.0f});
    addMask(img, energy, {0.75f, 0.95f, 1.0f});
    return img;
}

Image paintTunnelWall()
{
    // Base: mid-grey steel with wrapping grime.
    Image img = makeImage(kSize, kSize, {0, 0, 0});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float grime = tileFbm(x / 32.0f, y / 32.0f, 8, 4, 77);
            const float brushed = tileFbm(x / 64.0f, y / 2.0f, 4, 2, 91);
            const float v = 0.34f + 0.16f * grime + 0.05f * brushed;
            setPixel(img, x, y, {v * 0.92f, v * 0.97f, v * 1.04f});
        }

    // Four panels per picture, each a shade of its own, with bevelled edges.
    const float shades[4] = {1.0f, 0.86f, 0.93f, 0.8f};
    for (int p = 0; p < 4; ++p) {
        const double px = (p % 2) * 128.0, py = (p / 2) * 128.0;
        Mask panel = rasterise(kSize, kSize, [&](cairo_t* cr) {
            cairo_rectangle(cr, px + 3, py + 3, 122, 122);
            cairo_fill(cr);
        }, true);
        for (size_t i = 0; i < panel.a.size(); ++i) {
            const float k = panel.a[i] * (shades[p] - 1.0f);
            for (int c = 0; c < 3; ++c)
                img.rgb[i * 3 + c] *= 1.0f + k;
        }
        addMask(img, edgeFacing(panel, 2, 2, true), {0.35f, 0.36f, 0.38f});
        paintMask(img, edgeFacing(panel, -2, -2, true), {0.06f, 0.06f, 0.07f}, 0.8f);
    }

    // Seams between the panels.
    Mask seams = rasterise(kSize, kSize, [](cairo_t* cr) {
        cairo_set_line_width(cr, 3);
        for (double v : {0.0, 128.0}) {
            cairo_move_to(cr, v, -10);
            cairo_line_to(cr, v, kSize + 10);
            cairo_move_to(cr, -10, v);
            cairo_line_to(cr, kSize + 10, v);
        }
        cairo_stroke(cr);
    }, true);
    paintMask(img, seams, {0.03f, 0.03f, 0.035f});

    // A raised rib across the middle of each panel row, shaded like a half cylinder.
    for (int y = 0; y < kSize; ++y) {
        const float local = float(y % 128) - 64.0f;
        if (std::abs(local) > 10.0f)
            continue;
        const float u = local / 10.0f;
        const float light = 0.25f + 0.75f * std::sqrt(std::max(0.0f, 1.0f - u * u)) * (1.0f - 0.45f * u);
        for (int x = 0; x < kSize; ++x) {
            const float ridge = (x % 8 < 2) ? 0.75f : 1.0f;
            const float v = 0.62f * light * ridge;
            const float edge = std::abs(u) > 0.85f ? 0.35f : 1.0f;
            setPixel(img, x, y, {v * edge * 0.95f, v * edge, v * edge * 1.06f});
        }
    }

    // Rivets along every panel edge.
    Mask rivets = rasterise(kSize, kSize, [](cairo_t* cr) {
        for (int p = 0; p < 4; ++p) {
            const double px = (p % 2) * 128.0, py = (p / 2) * 128.0;
            for (int k = 0; k < 7; ++k) {
                const double along = 12 + k * 17.33;
                const double pos[4][2] = {{px + along, py + 10}, {px + along, py + 118}, {px + 10, py + along},
                                          {px + 118, py + along}};
                for (const auto& q : pos) {
                    if (std::abs(q[1] - py - 64) < 14)
                        continue;   // the rib covers the middle
                    cairo_new_sub_path(cr);
                    cairo_arc(cr, q[0], q[1], 2.6, 0, kTurn);
                }
            }
        }
        cairo_fill(cr);
    }, true);
    paintMask(img, rivets, {0.3f, 0.31f, 0.33f});
    addMask(img, edgeFacing(rivets, 1, 1, true), {0.45f, 0.45f, 0.45f});
    paintMask(img, edgeFacing(rivets, -1, -1, true), {0.05f, 0.05f, 0.05f}, 0.9f);

    // Vent slots in two panels and a warning stripe of dull amber in another.
    Mask vents = rasterise(kSize, kSize, [](cairo_t* cr) {
        for (int k = 0; k < 5; ++k) {
            cairo_rectangle(cr, 150, 18 + k * 8, 40, 3.5);
            cairo_rectangle(cr, 22 + k * 9, 150, 3.5, 32);
        }
        cairo_fill(cr);
    }, true);
    paintMask(img, vents, {0.02f, 0.02f, 0.025f});
    addMask(img, edgeFacing(vents, -1, -1, true), {0.3f, 0.3f, 0.32f});

    Mask stripe = rasterise(kSize, kSize, [](cairo_t* cr) {
        cairo_rectangle(cr, 140, 215, 104, 12);
        cairo_clip(cr);
        for (int k = -2; k < 12; ++k) {
            cairo_move_to(cr, 140 + k * 12, 227);
            cairo_line_to(cr, 146 + k * 12, 215);
            cairo_line_to(cr, 152 + k * 12, 215);
            cairo_line_to(cr, 146 + k * 12, 227);
            cairo_close_path(cr);
        }
        cairo_fill(cr);
    }, true);
    paintMask(img, stripe, {0.62f, 0.46f, 0.16f}, 0.85f);
    return img;
}
