// SPDX-License-Identifier: MIT
// The board's layout: each scene window's numbers, topic by topic, flowed into columns of whole lines, the
// two windows' columns in one row or in two, whichever holds them at the larger text scale, and the keys
// below them; every line whole at the largest scale at which all fit, and cut with "..." only when not even
// scale 1 holds them.
#pragma once

#include <string>
#include <vector>

#include "overlay_text.h"

// The board never draws its text larger than this: a line a hand's width tall is as readable as it gets.
constexpr int largest_board_scale = 8;

// What the board writes: for each scene window, the mother window's first, its topics (the status, the
// depth line, the camera, the pick, the chain), each a few lines; and the keys' sections below them, none
// while they are off.
struct board_text {
  std::vector<std::vector<std::vector<std::string>>> windows;
  std::vector<std::vector<std::string>> keys;
};

// A column of lines with its top-left corner at (left, top) in text pixels from the board's top left.
struct board_column {
  std::vector<std::string> lines;
  int left, top;
};
// How the board lays its text out in a width x height window whose lines may be max_text_width text pixels
// wide at most (the largest texture): the scale, the columns (each window's from the left, in one row or the
// mother's above the scout's), the keys' lines and their top, and whether every line is whole.
struct board_layout {
  int scale = 1;
  int rows = 1;
  std::vector<board_column> columns;
  board_column keys;
  bool whole = true;
};
board_layout compute_board_layout(const board_text& text, int width, int height, int max_text_width);

// Adds the board's blocks for a width x height window, laid out as compute_board_layout says, whose text may
// be text_width text pixels wide at most (the largest texture); returns that layout.
board_layout add_board(std::vector<text_block>& blocks, const board_text& text, int width, int height,
                       int text_width);
