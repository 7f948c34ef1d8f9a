// SPDX-License-Identifier: MIT
// The board: a third window, "Board", which exists only while it is open. It holds every number the scene
// windows' bands would show, whole and as large as they fit (overlay_board.h), while the scene windows keep
// only the status band's first line. Tab, --board and a lesson open it; the shell hands it its callbacks and
// its place.
#pragma once

#include <optional>
#include <string>

#include "command_line.h"
#include "picture_file.h"

constexpr const char* board_title = "Board";

// What the board needs from the shell: the keyboard callbacks, so that a key pressed on the board does what
// it does in a scene window (the special one only with a lesson, else null), what ends the program when a
// scene window is closed while the board may be open, the naming of a new board for the desktop (with it
// current), and whether the board's window is still there, which another program may destroy.
struct board_shell {
  void (*keyboard)(unsigned char key, int x, int y);
  void (*special)(int key, int x, int y);
  void (*scene_window_closed)();
  void (*name_window)();
  bool (*board_exists)();
};
// Where the board goes when it opens (nothing: where the scene windows leave room, or make it, gap_px from
// them), and the shell's callbacks; before any of the others.
void board_prepare(const std::optional<window_placement>& at, int gap_px, const board_shell& shell);
void board_open();
void board_toggle();
// The board's display callback: its frame, drawn in the current window, which must be the board.
void board_display();
// Draws the board again as it shows now and writes it at stem as the pictures of the scenes are written;
// nothing while the board is closed. The current window is left as it was found.
std::optional<picture_written> board_save_picture(const std::string& stem);
// Called every tick: a board destroyed by another program is closed, the scenes going on.
void board_check_window();
// Asks the board, when it is open, to redraw; the current window is left as it was found.
void board_post_redisplay();
// Whether GLUT's current window is the board.
bool board_is_current();
