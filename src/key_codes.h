// SPDX-License-Identifier: MIT
// The codes the command table gives the keys that have no character of their own, and how messages name a
// key. The shell turns those keys into these codes; nothing else makes them.
#pragma once

#include <string>

// Escape ends the program: the shell takes it before the command table.
constexpr unsigned char escape_key = 27;
// Space picks; Shift+space, which has no character of its own, reaches the table as inspect_key (from the
// shell, or typed for --inspect): a pick that holds still.
constexpr unsigned char pick_key = ' ';
constexpr unsigned char inspect_key = 0xa0;
// Tab opens and closes the board, a window of its own that the shell makes.
constexpr unsigned char board_key = '\t';
// W writes each window's picture.
constexpr unsigned char picture_key = 'W';
// Backspace steps back.
constexpr unsigned char back_key = '\b';
// F1 to F12 have no characters either: the shell hands them on as these twelve codes, which no keyboard
// types (C1 control codes), so that they have their row in the table as every other key.
constexpr int lesson_key_count = 12;
constexpr unsigned char first_lesson_key = 0x81;
constexpr unsigned char lesson_key(int index) { return static_cast<unsigned char>(first_lesson_key + index); }
// The keys of a table row: these codes in order, for the rows of the keys without a character.
inline std::string compute_key_row(unsigned char first, int count) {
  std::string keys;
  for (int i = 0; i < count; ++i) keys += static_cast<char>(first + i);
  return keys;
}

// A key as a message names it: "'Q'", "space", "F3" or "code 9".
inline std::string describe_key(unsigned char key) {
  if (key == ' ') return "space";
  if (key == board_key) return "Tab";
  if (key == back_key) return "Backspace";
  if (key > ' ' && key < 127) return std::string("'") + char(key) + "'";
  if (key >= first_lesson_key && key < lesson_key(lesson_key_count))
    return "F" + std::to_string(key - first_lesson_key + 1);
  return "code " + std::to_string(key);
}
