// SPDX-License-Identifier: MIT
// What the shell reads from its command line besides handing it to GLUT: X's -geometry, which places the
// mother window, with the scout window the same size beside it. Parsing only; nothing here opens a window.
#pragma once

#include <optional>

// A window's size and place on the screen, in pixels from the screen's top left.
struct window_placement {
  int width, height, x, y;
};

// Reads a -geometry value, "[=][WIDTHxHEIGHT][{+-}X{+-}Y]", over the defaults: a part left out keeps its
// default, and a negative offset counts from the screen's right or bottom edge to the window's. Nothing
// when the value is malformed or asks for a size below one pixel.
std::optional<window_placement> compute_geometry(const char* value, const window_placement& defaults,
                                                 int screen_width, int screen_height);

// The value of the last -geometry among the arguments, or null; glutInit takes it out of argv, so it is
// read before.
const char* find_geometry_argument(int argc, char** argv);
