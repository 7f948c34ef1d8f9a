// SPDX-License-Identifier: MIT
// The shell's Windows side. Only freeglut can fail here in a way the program should report: its error ends
// the process at once with one line and status 1, as on X11. Windows keeps another program from destroying
// this one's windows, and ties them to the program by its executable, so naming and checking a window need do
// nothing. The system's dots per inch come as they are, not as 96 on a desktop Windows then stretches: the
// program's manifest declares that it scales its own text.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "command_line.h"
#include "opengl.h"
#include "platform.h"

namespace {

[[noreturn]] void on_glut_error(const char* format, va_list arguments) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, arguments);
  std::fprintf(stderr, "solar_demo: freeglut: %s; exiting\n", text);
  std::_Exit(1);
}

}  // namespace

void platform_end_promptly_on_display_loss(int /*argc*/, char** /*argv*/) {
  glutInitErrorFunc(on_glut_error);
}

void platform_name_window() {}

double platform_display_dpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : unscaled_dpi;
}

void platform_check_window() {}

void platform_let_board_go() {}

bool platform_board_exists() { return true; }
