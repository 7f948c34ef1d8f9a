// SPDX-License-Identifier: MIT
// Saving the scene: its state as numbers appended to a lesson file of the user's, under the first F key that
// file has free, so that "--lesson FILE" and that key bring it back. The user's earlier lines are never
// rewritten, and nothing is appended that would leave a file the lesson reader refuses: a save that cannot be
// made whole leaves the file exactly as it was. Two programs saving at once take turns without waiting: the
// one that finds the other saving says so, and the next S tries again.
#pragma once

#include <string>
#include <vector>

#include "lesson.h"
#include "state_numbers.h"

// Where saves go by default: the user's data folder, XDG_DATA_HOME (when it is an absolute path, as the XDG
// rule asks) or ~/.local/share on Linux, APPDATA on Windows, then "solar-demo/saved.lesson"; empty when none
// is given.
std::string compute_default_save_file(const char* xdg_data_home, const char* home, const char* appdata);

// A title for the state: the time of day and what the ship with the keys follows or looks at.
std::string compute_state_title(const state_numbers& state, int hour, int minute);
// The title of a lesson's state the scene was reached from, "F3: Saturn from 15 units", kept with the clock
// after it: "Saturn from 15 units, 23:25".
std::string compute_kept_title(const std::string& lesson_step, int hour, int minute);

// The state's block under its header, "[F3]", its title, its notes and its lines, each ending in a newline;
// the title and notes, kept as the overlays' font writes them, written back in UTF-8.
std::string compute_state_block(int index, const std::string& title, const std::vector<std::string>& notes,
                                const state_numbers& state);

// The file a save goes on into once every F key of the one named is used: "saved.lesson", then
// "saved-2.lesson", "saved-3.lesson" and so on.
std::string compute_continued_file(const std::string& file, int number);

// What a save is given: the state with its title and notes, the lesson's own settings that a new file
// begins with (the windows' size and text scale its pictures need), and the keys a lesson may type.
struct state_to_save {
  std::string title;
  std::vector<std::string> notes;
  state_numbers numbers;
  std::string new_lesson_settings;
  key_refusal refuse_key = nullptr;
};
// Appends the state to the file named, made with its folder when missing, or when its twelve keys are used
// to the first continued file with a key free: the F key it got (0 for F1) and the file, or -1 with why it
// could not be saved, every file as it was. busy says another program was saving there at that moment.
struct save_outcome {
  int index = -1;
  std::string file;
  std::string why;
  bool busy = false;
};
save_outcome append_state(const std::string& file, const state_to_save& state);
// What S saves of the scene: titled by the lesson's state it was reached from, with the clock after it, or
// by the clock and what the ship with the keys does; that state's notes; and for a new file the windows'
// size (where a lesson can hold it) and the text scale its pictures need, which the command line still beats.
state_to_save compute_state_to_save(const state_numbers& numbers, const std::string& lesson_step,
                                    const std::vector<std::string>& notes, std::array<int, 2> window_size,
                                    int text_scale, std::array<int, 2> hour_minute, key_refusal refuse_key);
// What the band says of a save, in words that name the file (wrapped there, never cut).
std::string compute_save_message(const std::string& file, const save_outcome& saved);
