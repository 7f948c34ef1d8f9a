// SPDX-License-Identifier: MIT
// The overlays' text: blocks of lines made from the glyph table (text_font.h) into images, kept in one
// texture per window and made again only when their text changes, and drawn over a finished frame in window
// pixels as blended quads; at text scale 1 the glyph pixels come out as glBitmap would draw freeglut's font,
// at scale N each as a crisp N x N block. Also the word wrapping that the bands and --help share. No texture
// is ever made larger than the driver allows.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "opengl.h"
#include "text_font.h"

// Sizes of text in text pixels: the texture's texels, each drawn as a block of text scale x text scale window
// pixels.
constexpr int glyph_width_px = font_glyph_width_px;
constexpr int glyph_height_px = font_glyph_rows;
constexpr int glyph_descent_px = font_descent_px;
constexpr int text_line_px = 15;        // from one line's baseline to the next
constexpr GLubyte backing_alpha = 217;  // 0.85: what lies behind a backing keeps 15 %, too dim to cross text
constexpr unsigned char text_rgba[4] = {255, 255, 153, 255};  // (1, 1, 0.6): pale yellow

// A rectangle of window pixels, origin at the bottom left: [left, right) by [bottom, top).
struct window_rect {
  int left, bottom, right, top;
};

// A block of text as an RGBA image, bottom row first: glyph pixels opaque in the text colour, the rest
// black with the backing's alpha (a band's or a name's). Blended over the frame, the glyph pixels
// come out exactly as glBitmap draws them.
struct text_image {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;  // red, green, blue, alpha

  text_image(int width_px, int height_px, unsigned char background_alpha)
      : width(std::max(width_px, 1)), height(std::max(height_px, 1)) {
    pixels.resize(size_t(4) * width * height);
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = background_alpha;
  }
  // Writes text from (x, y) on its baseline, in the image's pixels, one glyph further right per character.
  void add(const std::string& text, int x, int y) {
    for (const char each : text) {
      add_glyph(static_cast<unsigned char>(each), x, y - glyph_descent_px);
      x += glyph_width_px;
    }
  }
  // Several lines, the first on the baseline first_y, the others below it.
  void add_lines(const std::vector<std::string>& lines, int x, int first_y) {
    for (size_t line = 0; line < lines.size(); ++line)
      add(lines[line], x, first_y - int(line) * text_line_px);
  }

 private:
  void add_glyph(unsigned char c, int left, int bottom) {
    for (int row = 0; row < glyph_height_px; ++row)
      for (int column = 0; column < glyph_width_px; ++column) {
        const int x = left + column, y = bottom + row;
        if (x < 0 || x >= width || y < 0 || y >= height || !font_pixel(c, column, row)) continue;
        std::copy(text_rgba, text_rgba + 4, &pixels[4 * (size_t(y) * width + x)]);
      }
  }
};

// One block of a frame's text: its first row in the window's text texture, all that decides its pixels, its
// image's size in text pixels (the texture's), where the image's bottom-left corner goes in the window and
// how to make the image; for a band, where the band ends on the right in window pixels, since a band wider
// than the largest texture has the rest of its dark background drawn plain. The names take the first rows, a
// fixed few each, then the bands. A block that joins the previous one lies against it in the texture as in
// the window, and is drawn in the same quad: a band's lines are made one by one but drawn whole, since
// llvmpipe pays for every thin quad it bins.
struct text_block {
  int row;
  std::string content;
  int width, height;
  int left, bottom;
  std::function<text_image()> make;
  int band_right = 0;
  bool joins_previous = false;
};

// One texture per window holds all its text, so that a frame's text is one draw however many names it has:
// llvmpipe sets up every draw at a cost. Its size in texels, and what each block's rows were last made from.
struct text_sheet {
  GLuint name = 0;
  int width = 0, height = 0;
  struct held_block {
    int height;
    std::string content;
  };
  std::map<int, held_block> held;  // by first row
};

// What one window's context keeps of its text: the texture, and the largest texture its driver takes.
struct window_text {
  text_sheet sheet;
  GLint max_texture_px = 0;
};

// How wide a mark (the pick region's outline, a ring around a body) is drawn, in window pixels at text scale
// 1: wide enough to see from the back of a room.
constexpr int mark_width_px = 2;

// Draws the blocks over the current window's frame in pixels of a width x height viewport, each text pixel
// as a scale x scale block of window pixels, with lighting, texturing and the depth test off, and the depth
// test on again after (nothing else in a frame switches it on); under them, in the text's colour and scale
// pixels wide, the leaders and the marks, these mark_width_px times the scale wide on a black edge (each
// x0, y0, x1, y1 in window pixels, one after another), so that no mark hides a line of text. Leaves both
// matrix stacks as it found them.
void draw_text_blocks(window_text& window, const std::vector<text_block>& blocks, int scale, int width,
                      int height, const std::vector<GLfloat>& leaders = {},
                      const std::vector<GLfloat>& marks = {});

// Sections of items wrapped into lines of at most columns characters: items two spaces apart, an item that
// does not fit starting a new line, an item longer than a line broken between its words, and a word longer
// than a line cut.
std::vector<std::string> compute_wrapped_lines(const std::vector<std::vector<std::string>>& sections,
                                               int columns);
// The length of the longest line.
size_t longest_line(const std::vector<std::string>& lines);
