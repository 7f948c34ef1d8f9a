// SPDX-License-Identifier: MIT
// A lesson: up to twelve prepared states, one for each of F1 to F12, read from a plain text file. A state is
// a title, the keys that make it from a fresh start-up scene (as --keys types them) and, at most, one pick
// (as --pick or --inspect makes it); or a title and the scene as numbers (state_numbers.h), as the program
// saves it. Reading only: the demo goes to a state, and nothing of a file that
// cannot be used is kept.
//
//   # comments and blank lines are ignored
//   title = The guide's experiments       (the lesson's own settings, before its first state)
//   size = 950x1000
//   text scale = 2
//   board = on                            (or its place: board = 1920x540+0+660, or off)
//   [F3]
//   title = Saturn from 15 units
//   note = Its rings turn with it.
//   keys = g6ssssssssss
//   pick = mother:Saturn
//   scout lens = 50, 1, 100
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "frame_constants.h"
#include "key_codes.h"
#include "state_numbers.h"

constexpr int lesson_state_count = lesson_key_count;  // F1 to F12

// The most lines of notes a state has, shown under its title, and the largest size a lesson asks for.
constexpr int most_notes = 2;
constexpr int largest_lesson_window_px = 8192;

struct lesson_state {
  std::string title;
  std::string step;  // "F3: Saturn from 15 units", as the status band and a notice name the state
  std::vector<std::string> notes;  // lines for the class, under the title
  std::string keys;
  std::optional<start_pick> pick;  // "pick" or "inspect"
  int pick_line = 0;               // where the file gives it, for a pick the windows turn out too small for
  // "mother lens" and "scout lens": a window's projection set exactly once the keys are typed, before the
  // pick; the mother window's first.
  std::array<std::optional<projection_lens>, 2> lenses;
  // Or the state as numbers, reached as it was written: no keys, no pick, no tick.
  std::optional<state_numbers> numbers;
};

struct lesson {
  std::string file;                        // as the command line names it
  std::string title;                       // the lesson's own, or empty
  std::optional<std::array<int, 2>> size;  // the windows' size it was made for; -geometry wins
  std::optional<int> text_scale;           // the text scale it was made for; --text-scale wins
  std::optional<std::string> board;        // the board open from the start: "" at its default place, or
                                           // WxH+X+Y; --board wins
  bool board_off = false;                  // "board = off": no state opens the board by itself
  std::array<std::optional<lesson_state>, lesson_state_count> states;
};

// A lesson read, or why it cannot be used: one line naming the file, the line (where there is one) and what
// is wrong, "FILE:LINE: what"; then the lesson is empty.
struct lesson_reading {
  lesson read;
  std::string error;
};
// Why a key cannot be typed, or null when it can: the command table's answer (demo_refuse_typed_key).
using key_refusal = const char* (*)(unsigned char key);
lesson_reading compute_lesson(const std::string& text, const std::string& file, key_refusal refuse_key);
// Reads the file and then its text as compute_lesson_file does.
lesson_reading read_lesson_file(const std::string& file, key_refusal refuse_key);
// A title or a note as a lesson file holds it: the font's Latin-1, a byte a character, as UTF-8, which the
// reader takes back to the same bytes.
std::string compute_utf8(const std::string& latin1);
// A lesson is a page of text; anything much larger is not one, and is not read into memory whole.
constexpr size_t largest_lesson_bytes = size_t(1) << 20;
// A file's whole text as a lesson: refused when larger than a lesson can be or holding a NUL byte, else
// read by compute_lesson. What saving appends to a file must leave it one this accepts.
lesson_reading compute_lesson_file(const std::string& text, const std::string& file, key_refusal refuse_key);
