// SPDX-License-Identifier: MIT
// The demo's command table: which keys are commands and what each does to the scene's state, how --help and
// the key band list them with each mode's keys, which keys --keys can type, and the words for a command that
// changes nothing. A command changes the state and never draws: space is the table's, but its selection pass
// is the frame's, which the table says it needs.
#pragma once

#include <string>
#include <vector>

#include "key_codes.h"
#include "scene_names.h"

// What took a key: a command, which has run; a pick that sends the active ship or one that holds still, which
// the frame must run; an F key, which goes to a state of the lesson; Tab, which opens or closes the board's
// window; Backspace, which steps back; W, whose pictures the frame draws; the shell (Escape), which never
// hands it on; or no row, so that the active ship's mode takes it.
enum class key_use { command, pick, inspect, lesson, board, back, picture, shell, ship };
key_use run_command(unsigned char key);

// The keys as --help lists them, from the command table and a mode's key table (ship_key_table): the demo's
// commands, and one mode's keys. Each is a few lines separated by newlines.
const char* demo_command_keys_help();
const char* demo_mode_keys_help(navigation_mode mode);
// The key band's sections: the active ship's keys under a title that names the ship and its mode, then the
// commands.
std::vector<std::vector<std::string>> demo_key_sections();
// Why a key cannot be typed for the user at start-up (--keys), or null when it can: it must be one that a
// command or some mode's key table takes, and need no pointer.
const char* demo_refuse_typed_key(unsigned char key);
// Every row of the command table as its keys, Escape's (which the shell takes) included.
std::vector<std::string> demo_command_keys();
