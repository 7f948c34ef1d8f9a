// SPDX-License-Identifier: MIT
// A lesson: up to twelve prepared states, one for each of F1 to F12, read from a plain text file. A state is
// a title, the keys that make it from a fresh start-up scene (as --keys types them) and, at most, one pick
// (as --pick or --inspect makes it). Reading only: the demo goes to a state, and nothing of a file that
// cannot be used is kept.
//
//   # comments and blank lines are ignored
//   [F3]
//   title = Saturn from 15 units
//   keys = g6ssssssssss
//   pick = mother:220,298
#pragma once

#include <array>
#include <optional>
#include <string>

#include "command_line.h"
#include "key_codes.h"

constexpr int lesson_state_count = lesson_key_count;  // F1 to F12

struct lesson_state {
  std::string title;
  std::string step;  // "F3: Saturn from 15 units", as the status band and a notice name the state
  std::string keys;
  std::optional<start_pick> pick;  // "pick" or "inspect"
  int pick_line = 0;               // where the file gives it, for a pick the windows turn out too small for
};

struct lesson {
  std::string file;  // as the command line names it
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
// Reads the file and then its text as compute_lesson does.
lesson_reading read_lesson_file(const std::string& file, key_refusal refuse_key);
