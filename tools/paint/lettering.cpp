#include "tools/paint/lettering.h"

#include <vector>

namespace {

struct Point {
    double x, y;
};

struct Stroke {
    std::vector<Point> points;
    bool closed = false;
    bool butt = false;   // flat ends; such strokes run past the box and are cut by its clip
};

struct Glyph {
    char code;
    double width;   // outer width as a share of the cap height
    std::vector<Stroke> strokes;
};

// Skeletons in a unit box (y down) that sits half a stroke inside the glyph's outer box.
// Lower case letters use the band 0.38..1.
const std::vector<Glyph>& glyphTable()
{
    static const std::vector<Glyph> table = {
        {'K', 0.70, {{{{0, 0}, {0, 1}}}, {{{0, 0.52}, {0.42, 0.52}, {1, 0}}}, {{{0.42, 0.52}, {1, 1}}}}},
        {'E', 0.60, {{{{1, 0}, {0, 0}, {0, 1}, {1, 1}}}, {{{0, 0.5}, {0.78, 0.5}}}}},
        {'L', 0.56, {{{{0, 0}, {0, 1}, {1, 1}}}}},
        {'V', 0.72, {{{{0, 0}, {0, 0.55}, {0.5, 1}, {1, 0.55}, {1, 0}}}}},
        {'A', 0.72, {{{{0, 1}, {0, 0.28}, {0.28, 0}, {0.72, 0}, {1, 0.28}, {1, 1}}}, {{{0, 0.6}, {1, 0.6}}}}},
        {'R', 0.68, {{{{0, 1}, {0, 0}, {0.78, 0}, {1, 0.18}, {1, 0.34}, {0.78, 0.52}, {0, 0.52}}}, {{{0.5, 0.52}, {1.16, 1.3}}, false, true}}},
        {'N', 0.72, {{{{0, 1}, {0, 0}, {1, 1}, {1, 0}}}}},
        {'T', 0.66, {{{{0, 0}, {1, 0}}}, {{{0.5, 0}, {0.5, 1}}}}},
        {'O', 0.78, {{{{0.28, 0}, {0.72, 0}, {1, 0.25}, {1, 0.75}, {0.72, 1}, {0.28, 1}, {0, 0.75}, {0, 0.25}}, true}}},
        {'e', 0.60, {{{{0, 0.70}, {1, 0.70}, {1, 0.54}, {0.8, 0.38}, {0.2, 0.38}, {0, 0.54}, {0, 0.84}, {0.2, 1}, {1, 1}}}}},
        {'v', 0.60, {{{{0, 0.38}, {0, 0.66}, {0.5, 1}, {1, 0.66}, {1, 0.38}}}}},
        {' ', 0.40, {}},
    };
    return table;
}

const Glyph* findGlyph(char c)
{
    for (const Glyph& g : glyphTable())
        if (g.code == c)
            return &g;
    return nullptr;
}

double glyphWidth(char c, const LetterStyle& style)
{
    if (c == '.')
        return style.stroke;
    const Glyph* g = findGlyph(c);
    return g ? g->width * style.capHeight : 0.0;
}

}  // namespace

double measureWord(const std::string& text, const LetterStyle& style)
{
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i)
        w += glyphWidth(text[i], style) + (i + 1 < text.size() ? style.tracking : 0.0);
    return w;
}

void drawWord(cairo_t* cr, const std::string& text, double x, double y, const LetterStyle& style)
{
    const double s = style.stroke;
    const double h = style.capHeight;
    for (char c : text) {
        const double w = glyphWidth(c, style);
        if (c == '.') {
            cairo_rectangle(cr, x, y + h - s, s, s);
            cairo_fill(cr);
        } else if (const Glyph* g = findGlyph(c)) {
            cairo_save(cr);
            cairo_rectangle(cr, x, y, w, h);
            cairo_clip(cr);
            cairo_set_line_width(cr, s);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
            const double bx = x + s / 2, by = y + s / 2, bw = w - s, bh = h - s;
            for (const Stroke& st : g->strokes) {
                cairo_set_line_cap(cr, st.butt ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_SQUARE);
                for (size_t i = 0; i < st.points.size(); ++i) {
                    const double px = bx + st.points[i].x * bw;
                    const double py = by + st.points[i].y * bh;
                    if (i == 0)
                        cairo_move_to(cr, px, py);
                    else
                        cairo_line_to(cr, px, py);
                }
                if (st.closed)
                    cairo_close_path(cr);
                cairo_stroke(cr);
            }
            cairo_restore(cr);
        }
        x += w + style.tracking;
    }
}
