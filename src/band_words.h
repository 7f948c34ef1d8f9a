// SPDX-License-Identifier: MIT
// What each window's bands write, made from the scene's state and the views' words, with no GL: the status
// band, the keys, and the band under the status band with the camera ("i"), the last pick ("k"), the chain
// ("t") and the depth view's line ("u").
#pragma once

#include <string>
#include <vector>

#include "overlay.h"
#include "overlay_board.h"
#include "scene_state.h"

// The body whose chain of transforms "t" shows: the one the active ship follows, else the nearest body the
// last pick hit, else the Sun; and the band's lines for it.
const body& demo_chain_body();
std::vector<std::string> demo_chain_lines();
// The "k" band's lines in a window: the last pick's call, records and outcome where it ran.
std::vector<std::string> demo_pick_lines(ship_name viewer);
// The band under the status band, one topic a place: each window's camera ("i"), the last pick where it ran
// ("k"; before any pick, where to press), and the chain ("t") in the window of the active ship.
std::vector<std::string> demo_camera_band_lines(ship_name viewer);
// The same topic by topic, with exact_aspect the camera's aspect as the board writes it.
std::vector<std::vector<std::string>> demo_camera_band_topics(ship_name viewer, bool exact_aspect);
// What a window's bands write: the status band ("h", or the message on the last key alone), the keys ("h"; in
// the active ship's window they yield their place to the chain while "t" is on) and the band under the
// status. While the board is open it holds the rest, and the window keeps the status band's first line.
band_text demo_band_text(ship_name viewer);
// Whether both windows' bands, at their size and text scale with the board closed, show every line of the
// views under the status band whole.
bool demo_bands_hold_views();
// What the board writes: each window's status and the band under it, the same lines, the keys while "h"
// shows them, the lesson's lines at its top and the message on the last key at its foot.
board_text demo_board_text();
// The state last gone to and its notes, or before the first (and after "m") the lesson's title; nothing
// without a lesson.
std::vector<std::string> demo_lesson_lines();
// What the status overlay says in a window: its ship, whether it is the active ship, its mode and step, the
// body it follows, "paused", the rate, the text scale and the message on the last key that changed nothing.
std::vector<std::string> demo_status_lines(ship_name window, bool with_notice = true);
// What the camera readout says of a window's camera: its mode, where it is, the projection call of its latest
// frame and the model-view matrix the frame loads, in rows.
std::vector<std::string> demo_camera_lines(ship_name window, bool exact_aspect = false);
