// SPDX-License-Identifier: MIT
// What the shell needs from the windowing system beyond GLUT: one source file per platform behind these
// functions (platform_x11.cpp, platform_windows.cpp), chosen by the build. Each ends the process at once,
// with status 1 and one line on stderr that starts with "solar_demo:", when the display or a window is lost
// or freeglut reports an error.
#pragma once

// Called first, before glutInit, with the process's arguments (the display they ask for is read, not
// taken): from here on, every loss and every freeglut error ends the process as said above.
void platform_end_promptly_on_display_loss(int argc, char** argv);
// Called right after each window is created, with it current: names its window class, so that a desktop
// ties the window to the program's menu entry and icon.
void platform_name_window();
// Called with a window current: the dots per inch the desktop asks text to be drawn at (unscaled_dpi in
// command_line.h when it says nothing).
double platform_display_dpi();
// Called every tick with each window current: a window destroyed under the program shows as its loss.
void platform_check_window();
// Called right after the board is created, with it current: the board may be destroyed by another program
// without ending this one, so its loss, and any error about its window after, is the board's alone.
void platform_let_board_go();
// Whether the board's window is still there.
bool platform_board_exists();
