// Machined block lettering: every glyph is a few straight strokes with bevelled
// corners, so the titles need no font and look cut from plate.
#pragma once

#include <cairo.h>

#include <string>

struct LetterStyle {
    double capHeight = 100;   // outer height of a capital
    double stroke = 20;       // stroke width
    double tracking = 10;     // gap between glyphs
};

// Width of the text in pixels for the style.
double measureWord(const std::string& text, const LetterStyle& style);
// Paints the text with the current cairo source; (x, y) is the top-left of the capitals.
void drawWord(cairo_t* cr, const std::string& text, double x, double y, const LetterStyle& style);
