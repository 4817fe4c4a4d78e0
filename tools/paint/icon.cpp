// The application icon: a steel cog on a dark brushed tile, ringed by the tunnel's cyan glow.
// Drawn as vectors at every size, so the small icons stay sharp; below 32 pixels the ring
// and the tile's bevel are left out, and the cog gets fewer, broader teeth.
#include "tools/paint/pictures.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kTurn = 6.283185307179586;

void roundedSquare(cairo_t* cr, double x, double y, double side, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + side - radius, y + radius, radius, -kTurn / 4, 0);
    cairo_arc(cr, x + side - radius, y + side - radius, radius, 0, kTurn / 4);
    cairo_arc(cr, x + radius, y + side - radius, radius, kTurn / 4, kTurn / 2);
    cairo_arc(cr, x + radius, y + radius, radius, kTurn / 2, 3 * kTurn / 4);
    cairo_close_path(cr);
}

// Outline of a cog centred on (cx, cy): teeth with flat tops and sloped flanks.
void cogPath(cairo_t* cr, double cx, double cy, double root, double tip, int teeth)
{
    const double step = kTurn / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * step;
        const double points[4][2] = {{a - 0.30 * step, root}, {a - 0.17 * step, tip},
                                     {a + 0.17 * step, tip}, {a + 0.30 * step, root}};
        for (const auto& p : points) {
            const double x = cx + p[1] * std::cos(p[0]);
            const double y = cy + p[1] * std::sin(p[0]);
            if (i == 0 && &p == &points[0])
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_arc(cr, cx, cy, root, a + 0.30 * step, a + 0.70 * step);
    }
    cairo_close_path(cr);
}

}  // namespace

bool paintIcon(const std::string& path, int size)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    const bool small = size < 32;
    const double s = size;
    const double c = s / 2;

    // The tile: dark steel, lighter at the top.
    const double margin = small ? 0.0 : s * 0.04;
    roundedSquare(cr, margin, margin, s - 2 * margin, s * 0.16);
    cairo_pattern_t* tile = cairo_pattern_create_linear(0, 0, 0, s);
    cairo_pattern_add_color_stop_rgb(tile, 0, 0.16, 0.18, 0.22);
    cairo_pattern_add_color_stop_rgb(tile, 1, 0.04, 0.05, 0.07);
    cairo_set_source(cr, tile);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(tile);
    if (!small) {
        cairo_set_line_width(cr, s / 64);
        cairo_set_source_rgba(cr, 0.55, 0.62, 0.70, 0.6);
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }

    // The glow ring: a soft wide band under a thin bright line.
    if (!small) {
        for (int pass = 6; pass >= 1; --pass) {
            cairo_set_line_width(cr, s * 0.018 * pass);
            cairo_set_source_rgba(cr, 0.1, 0.85, 1.0, 0.07);
            cairo_arc(cr, c, c, s * 0.385, 0, kTurn);
            cairo_stroke(cr);
        }
        cairo_set_line_width(cr, std::max(1.0, s * 0.02));
        cairo_set_source_rgb(cr, 0.55, 0.97, 1.0);
        cairo_arc(cr, c, c, s * 0.385, 0, kTurn);
        cairo_stroke(cr);
    }

    // The cog, with a bore through it.
    const double tip = small ? s * 0.44 : s * 0.33;
    const double root = small ? s * 0.33 : s * 0.255;
    const double bore = small ? s * 0.13 : s * 0.09;
    cogPath(cr, c, c, root, tip, small ? 8 : 12);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, c, c, bore, kTurn, 0);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_pattern_t* steel = cairo_pattern_create_linear(c - tip, c - tip, c + tip, c + tip);
    cairo_pattern_add_color_stop_rgb(steel, 0, 0.90, 0.92, 0.95);
    cairo_pattern_add_color_stop_rgb(steel, 0.55, 0.55, 0.59, 0.65);
    cairo_pattern_add_color_stop_rgb(steel, 1, 0.30, 0.33, 0.38);
    cairo_set_source(cr, steel);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(steel);
    cairo_set_line_width(cr, std::max(1.0, s / 96));
    cairo_set_source_rgba(cr, 0.02, 0.03, 0.05, 0.8);
    cairo_stroke(cr);

    // A hub ring between the teeth and the bore.
    if (!small) {
        cairo_set_line_width(cr, s * 0.022);
        cairo_set_source_rgba(cr, 0.18, 0.20, 0.24, 0.9);
        cairo_arc(cr, c, c, s * 0.17, 0, kTurn);
        cairo_stroke(cr);
    }

    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}
