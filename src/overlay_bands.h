// SPDX-License-Identifier: MIT
// The overlays' bands, laid out one way for all of them: the status (a window's ship and its state) at the
// top left, the active ship's keys along the bottom and the camera's numbers at the left below the status,
// each on a dark translucent background, the keys wrapped to the window's width and the other lines cut to
// it, and each band cut to the lines that fit; the camera's band also to the lines that leave half of the
// window to the scene, each of its lines on a backing as wide as itself.
#pragma once

#include <string>
#include <vector>

#include "overlay_text.h"

constexpr int text_margin_px = 6;  // around a band's text, in text pixels

// What the bands write; a band whose lines are empty is not drawn.
struct band_text {
  std::vector<std::string> status;             // the window's ship and its state, one line each
  std::vector<std::vector<std::string>> keys;  // items such as "l/r: LOOKAT/RELATIVE"; each section starts
                                               // on a line of its own
  std::vector<std::string> camera;             // the window's camera as numbers, one line each
  std::string notice;  // said below the status lines, or in their place, wrapped between words, never cut
};

// Adds the bands' text blocks for a width x height window whose text may be text_width text pixels wide,
// each drawn as scale x scale window pixels, from row first_row of the window's texture on, and returns the
// window pixels the bands' backings cover, line by line, which names keep clear of.
std::vector<window_rect> add_bands(std::vector<text_block>& blocks, const band_text& text, int width,
                                   int height, int text_width, int first_row, int scale);
// Whether those bands show every line of the band under the status whole: none cut, none left out.
bool compute_camera_band_whole(const band_text& text, int width, int height, int text_width, int scale);

// A band's height in text pixels for lines of text: a margin, the lines text_line_px apart, a margin, with
// every glyph row of the first and the last line (descenders included) inside.
int band_height_px(size_t lines, int margin);
// How many lines of text a band of at most max_height text pixels with that margin holds.
size_t lines_that_fit(int max_height, int margin);
// A band of lines laid out as the status band is, with its top-left corner at (left, top) of the window, each
// text pixel scale x scale window pixels, its blocks from row row of the texture on: on a backing as wide as
// its longest line, text_margin_px around. Returns the texture rows it took.
int add_text_column(std::vector<text_block>& blocks, const std::vector<std::string>& lines, int left, int top,
                    int row, int scale);

// A line as long as the columns allow: whole, or cut at its last space that leaves room for "..." and ended
// with it, so that no word or number is split (a word longer than the line is cut where it must be).
std::string compute_cut_line(const std::string& line, int columns);
// The lines of a band at most max_height text pixels high with the given margin: all of them, or those that
// fit with the last ending in "..." (within the columns) to say that more was left out.
std::vector<std::string> compute_band_lines(std::vector<std::string> lines, int columns, int max_height,
                                            int margin);
