// SPDX-License-Identifier: MIT
// Saving the scene: its state as numbers appended to a lesson file of the user's, under the first F key that
// file has free, so that "--lesson FILE" and that key bring it back. The user's earlier lines are never
// rewritten: a save that cannot be made whole is taken back to the file's old length, and two programs
// saving at once take turns.
#pragma once

#include <string>

#include "state_numbers.h"

// Where saves go by default: the user's data folder, XDG_DATA_HOME or ~/.local/share on Linux, APPDATA on
// Windows (whichever is given, in that order), then "solar-demo/saved.lesson"; empty when none is.
std::string compute_default_save_file(const char* xdg_data_home, const char* home, const char* appdata);

// Where a window's picture goes, without ".png": beside the saved states, named for the time and the window
// ("solar_demo-20261209-171502-mother"); its folder is made when missing. Empty, with why, when it cannot be.
struct picture_stem {
  std::string stem, why;
};
picture_stem compute_picture_stem(const std::string& save_file, const char* window_word, int year, int month,
                                  int day, int hour, int minute, int second);

// A title for the state: the time of day and what the ship with the keys follows or looks at.
std::string compute_state_title(const state_numbers& state, int hour, int minute);

// The state's block under its header, "[F3]", its title and its lines, each ending in a newline.
std::string compute_state_block(int index, const std::string& title, const state_numbers& state);

// Appends the state to the file, made with its folder when missing and then begun with the lesson's own
// settings given (the windows' size and text scale the picture needs): the F key it got (0 for F1), or -1
// with why it could not be saved, the file as it was.
struct save_outcome {
  int index = -1;
  std::string why;
};
save_outcome append_state(const std::string& file, const std::string& title, const state_numbers& state,
                          const std::string& new_lesson_settings = "");
