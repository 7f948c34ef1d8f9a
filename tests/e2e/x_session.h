// SPDX-License-Identifier: MIT
// End-to-end harness: a private Xvfb server per test, the real solar_demo executable on it, its windows found
// by title, keys and pointer moves sent through the X server (XTest), and the windows' pixels read back with
// XGetImage. Every wait polls a condition against a deadline; nothing sleeps for a fixed time to synchronise.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Polls until the condition holds or the deadline passes; returns the condition's last value.
bool wait_until(milliseconds deadline, const std::function<bool()>& condition);

// An Xvfb server on a display number it chooses itself, and one client connection to it.
class virtual_display {
 public:
  // The screen as Xvfb takes it, "WIDTHxHEIGHTxDEPTH".
  explicit virtual_display(const char* screen = "1280x1024x24");
  ~virtual_display();
  virtual_display(const virtual_display&) = delete;
  virtual_display& operator=(const virtual_display&) = delete;

  const std::string& name() const { return name_; }
  Display* x() const { return connection_; }
  // Closes this client's connection, then kills the server under whatever else is connected to it.
  void kill_server();

 private:
  pid_t server_ = -1;
  std::string name_;
  Display* connection_ = nullptr;
};

// The program under test, started on a display with the given extra environment ("NAME=value") and
// arguments; its standard error goes to the named file when one is given, else where the test's goes.
class program {
 public:
  program(const std::string& path, const std::string& display,
          const std::vector<std::string>& environment = {}, const std::string& error_file = "",
          const std::vector<std::string>& arguments = {});
  ~program();
  program(const program&) = delete;
  program& operator=(const program&) = delete;

  // The exit status once the process has ended by itself, or nothing if it is still running at the deadline.
  std::optional<int> wait_exit(milliseconds deadline);
  bool running();
  pid_t pid() const { return pid_; }
  // How the process ended, for a failure message: "exited with status N" or "killed by signal N (NAME)".
  std::string how_it_ended() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  int wait_status_ = 0;
};

// A new empty file whose name is prefix and six characters no other file there has: a test's own, whatever
// runs beside it.
std::string make_own_file(const std::string& prefix);
// The whole of a small text file, or "" when it cannot be read.
std::string read_file(const std::string& path);

struct geometry {
  int x, y, width, height;  // client area, root coordinates
};

struct image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // top row first, as X delivers it
  struct pixel {
    int r, g, b;
  };
  pixel at(int x, int y) const {
    const size_t i = 3 * (size_t(y) * width + x);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  bool operator==(const image& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

// The viewable top-level window with this exact title, waited for up to the deadline; 0 if none appeared.
Window find_window(Display* x, const std::string& title, milliseconds deadline);
geometry window_geometry(Display* x, Window w);
image capture(Display* x, Window w);
// A rectangle of the window, in window pixels from its top-left corner.
image capture_region(Display* x, Window w, int left, int top, int width, int height);
// A PNG file's pixels, top row first as X gives a window's; empty when it cannot be read.
image read_png(const std::string& path);
// Writes an image as a binary PPM, for looking at a failure.
void save_ppm(const image& img, const std::string& path);

// Moves the pointer to a point of the window's client area (window pixels from its top-left corner).
void move_pointer(Display* x, Window w, int px, int py);
// Moves the pointer there and clicks the first mouse button.
void click(Display* x, Window w, int px, int py);
// Presses and releases the key that types this keysym, with Shift when the keysym needs it.
void press_keysym(Display* x, unsigned long keysym);
// Types one character as a user would: the pointer must be over the window that should receive it.
void type_char(Display* x, char c);

}  // namespace e2e
