// SPDX-License-Identifier: MIT
// The board's layout: the state's title at the top, then each scene window's numbers topic by topic, each
// topic whole in one column (a matrix never split), packed into columns by the lines' real widths at the
// largest text scale at which all of them fit, then the keys, and at the bottom a place kept for the last
// key's message, so that a passing message never changes the scale or moves a number. Lines are cut with
// "..." only when not even scale 1 holds them.
#pragma once

#include <string>
#include <vector>

#include "overlay_text.h"

// The board never draws its text larger than this: a line a hand's width tall is as readable as it gets.
constexpr int largest_board_scale = 8;

// What the board writes: for each scene window, the mother window's first, its topics (the status, the
// depth line, the camera, the pick, the chain), each a few lines, and the window's name (heads), which heads
// a topic whose first line does not name it where it stands below another window's or at a column's top; the
// keys' sections, none while they are off; the state's title and notes (heading); and the message on the
// last key.
struct board_text {
  std::vector<std::vector<std::vector<std::string>>> windows;
  std::vector<std::string> heads;
  std::vector<std::vector<std::string>> keys;
  std::vector<std::string> heading;
  std::string message;
};

inline bool operator==(const board_text& a, const board_text& b) {
  return a.windows == b.windows && a.heads == b.heads && a.keys == b.keys && a.heading == b.heading &&
         a.message == b.message;
}

// The lines kept at the board's foot for a message, whether one shows or not: a longer one takes what the
// keys leave below the numbers too.
constexpr size_t board_message_lines = 2;

// A column of lines with its top-left corner at (left, top) in text pixels from the board's top left.
struct board_column {
  std::vector<std::string> lines;
  int left = 0, top = 0;
};
// How the board lays its text out in a width x height window whose lines may be max_text_width text pixels
// wide at most (the largest texture): the scale, the heading, the topics' columns, the keys' lines and the
// message's, each at its top-left corner, and whether every line is whole.
struct board_layout {
  int scale = 1;
  board_column heading;
  std::vector<board_column> columns;
  board_column keys;
  board_column message;
  bool whole = true;
};
board_layout compute_board_layout(const board_text& text, int width, int height, int max_text_width);

// Adds the board's blocks for a window height pixels high, laid out as the layout says.
void add_board_blocks(std::vector<text_block>& blocks, const board_layout& layout, int height);
// Adds the board's blocks for a width x height window, laid out as compute_board_layout says, whose text may
// be text_width text pixels wide at most (the largest texture); returns that layout.
board_layout add_board(std::vector<text_block>& blocks, const board_text& text, int width, int height,
                       int text_width);
