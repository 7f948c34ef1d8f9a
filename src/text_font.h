// SPDX-License-Identifier: MIT
// The overlays' font: freeglut's fixed 8x13 bitmap font as a table in the source (text_font.cpp, made by
// tools/make_font_table.sh), so that text looks the same in every window of every size and nothing is read
// back from a frame. Every glyph is 8 pixels wide; the table covers printable ASCII and Latin-1's letters and
// signs (160 to 255, the bytes text is kept in once it is read); 127 to 159 stand as freeglut draws them,
// and no text holds them.
#pragma once

constexpr int font_glyph_width_px = 8;
constexpr int font_glyph_rows = 13;  // from the lowest descender to the top of the tallest glyph
constexpr int font_descent_px = 3;   // of those rows, below the baseline
constexpr unsigned char font_first_char = 32, font_last_char = 255;

// Row r of character c, bottom row first: font_8x13[c - font_first_char][r], bit 7 the leftmost pixel.
extern const unsigned char font_8x13[font_last_char - font_first_char + 1][font_glyph_rows];

// Whether the glyph of c has a pixel at column x and row y (both from the glyph's bottom left); false for
// characters the table does not hold.
inline bool font_pixel(unsigned char c, int x, int y) {
  if (c < font_first_char || c > font_last_char || x < 0 || x >= font_glyph_width_px || y < 0 ||
      y >= font_glyph_rows)
    return false;
  return (font_8x13[c - font_first_char][y] & (0x80 >> x)) != 0;
}
