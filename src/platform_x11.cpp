// SPDX-License-Identifier: MIT
// The shell's X11 side: a prompt, one-line exit when the X server or a window goes away (during start-up
// too, where the GL driver faults on it) or freeglut reports an error, the windows' WM_CLASS, the desktop's
// Xft.dpi, and the per-tick question that reveals a window destroyed by another client. Every message names
// the display actually opened, or else the one asked for.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "opengl.h"
#include "platform.h"

namespace {

constexpr char program_class[] = "solar_demo";  // also the menu entry's StartupWMClass
const char* requested_display = nullptr;        // from -display, or null for $DISPLAY

// Xlib's and freeglut's default handlers call exit(), whose clean-up in freeglut can wait forever for a lock
// that the interrupted GL call still holds. This says what happened in one line and ends the process at once,
// running no clean-up.
[[noreturn]] void end_without_display(const char* what, Display* display) {
  const char* name = display != nullptr ? DisplayString(display) : XDisplayName(requested_display);
  if (name[0] != '\0')
    std::fprintf(stderr, "solar_demo: %s on display %s; exiting\n", what, name);
  else  // nothing names a display, so nothing could have been opened: say what to do instead
    std::fprintf(stderr,
                 "solar_demo: cannot open a display: DISPLAY is not set (use a desktop session or ssh -X)\n");
  std::_Exit(1);
}

int on_connection_lost(Display* display) {
  end_without_display("lost the connection to the X server", display);
}

// A connection of the program's own to the display, on which it asks nothing: the server sends it nothing
// but its end, so whatever can be read there says that the server has gone. Mesa's GLX reads the replies of
// a server that went during glutInit or a window's creation without checking them, and faults; freeglut then
// reports a context it could not create. Either is the display's loss, and is told as such.
Display* watch_display = nullptr;
int watch_socket = -1;
std::string loss_line;  // made beforehand: a fault handler may only write

// A server that is going may not have closed the program's connections yet when the GL driver trips over its
// replies, so the end is waited for a while: only poll and recv, which a signal handler may call. A live
// server never closes the connection, so a fault of another kind costs this wait before it is reported.
constexpr int server_end_wait_ms = 1000;
bool server_has_gone(int wait_ms = server_end_wait_ms) {
  if (watch_socket < 0) return false;
  const int saved_errno = errno;
  pollfd watched = {watch_socket, POLLIN, 0};
  bool gone = false;
  if (poll(&watched, 1, wait_ms) > 0) {
    char byte = 0;
    const ssize_t got = recv(watch_socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    gone = got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
  }
  errno = saved_errno;
  return gone;
}

// The watch connection is closed on the way out, so that no memory of it is left to a leak check.
void close_watch() {
  watch_socket = -1;
  if (watch_display != nullptr) XCloseDisplay(watch_display);
  watch_display = nullptr;
}

void watch_server(const char* display_name) {
  watch_display = XOpenDisplay(display_name);
  if (watch_display == nullptr) return;  // freeglut will fail to open it too, and say so
  watch_socket = ConnectionNumber(watch_display);
  loss_line = std::string("solar_demo: lost the connection to the X server on display ") +
              DisplayString(watch_display) + "; exiting\n";
  std::atexit(close_watch);
}

struct sigaction earlier_segv_action, earlier_bus_action;

// A fault while the server has gone is its loss; any other goes on to what handled it before (the
// sanitizers' report, or the default end with a core).
void on_fault(int signal, siginfo_t* info, void* context) {
  if (server_has_gone()) {
    const ssize_t written = write(STDERR_FILENO, loss_line.data(), loss_line.size());
    static_cast<void>(written);
    _exit(1);
  }
  const struct sigaction& earlier = signal == SIGSEGV ? earlier_segv_action : earlier_bus_action;
  if ((earlier.sa_flags & SA_SIGINFO) != 0) return earlier.sa_sigaction(signal, info, context);
  if (earlier.sa_handler != SIG_DFL && earlier.sa_handler != SIG_IGN) return earlier.sa_handler(signal);
  std::signal(signal, SIG_DFL);  // the faulting instruction runs again, and ends the process as it would have
}

void tell_faults_after_loss() {
  struct sigaction action = {};
  action.sa_sigaction = on_fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &earlier_segv_action);
  sigaction(SIGBUS, &action, &earlier_bus_action);
}

// The boards' windows, which another program may destroy: an error about one of them, however late it
// arrives, is that board's loss, which the tick's check closes, and not the display's.
std::vector<XID> boards;
XID open_board = 0;
Display* board_display = nullptr;

int on_x_error(Display* display, XErrorEvent* error) {
  if (std::find(boards.begin(), boards.end(), error->resourceid) != boards.end()) return 0;
  char text[160] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  char what[256];
  std::snprintf(what, sizeof what, "X error \"%s\"", text);
  // An error is a reply, sent by a server still there: only a close already on its way means it has gone
  // since, so that a window destroyed by another program ends the program at once.
  end_without_display(server_has_gone(0) ? "lost the connection to the X server" : what, display);
}

// freeglut gives no way to its connection; once a window's context is current, GLX gives the display in use.
void on_glut_error(const char* format, va_list arguments) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, arguments);
  char what[300];
  std::snprintf(what, sizeof what, "freeglut: %s", text);
  end_without_display(server_has_gone() ? "lost the connection to the X server" : what,
                      glXGetCurrentDisplay());
}

// The display glutInit will open: the value of the last -display, as Xlib reads it, else $DISPLAY.
const char* find_requested_display(int argc, char** argv) {
  const char* name = nullptr;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-display") == 0) name = argv[i + 1];
  return name;
}

}  // namespace

void platform_end_promptly_on_display_loss(int argc, char** argv) {
  requested_display = find_requested_display(argc, argv);
  // A write to the socket of a server that has gone would otherwise end the process by SIGPIPE, silently,
  // before Xlib could report the broken connection.
  std::signal(SIGPIPE, SIG_IGN);
  XSetIOErrorHandler(on_connection_lost);
  XSetErrorHandler(on_x_error);
  glutInitErrorFunc(on_glut_error);
  watch_server(requested_display);
  tell_faults_after_loss();
}

// freeglut leaves WM_CLASS unset. The new window's context is current, so its drawable is the window.
void platform_name_window() {
  static char name[sizeof program_class];
  std::memcpy(name, program_class, sizeof name);
  XClassHint hint = {name, name};
  XSetClassHint(glXGetCurrentDisplay(), glXGetCurrentDrawable(), &hint);
}

// Desktops scaled for a dense screen say so in the Xft.dpi resource, which GTK, Qt and GLFW read; the
// screen's size in millimetres, which X also reports, is often made up.
double platform_display_dpi() {
  Display* display = glXGetCurrentDisplay();
  const char* resources = display != nullptr ? XResourceManagerString(display) : nullptr;
  if (resources == nullptr) return unscaled_dpi;
  XrmInitialize();
  const XrmDatabase database = XrmGetStringDatabase(resources);
  char* type = nullptr;
  XrmValue value = {0, nullptr};
  const bool found = XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr;
  const double dpi = compute_resource_dpi(found ? value.addr : nullptr);
  XrmDestroyDatabase(database);
  return dpi;
}

// freeglut ignores the destruction of a window by another client: the window merely stops being drawn and the
// program runs on without it. Asking the server about the window turns that into the X error handled above.
void platform_check_window() {
  Display* display = glXGetCurrentDisplay();
  XWindowAttributes attributes;
  if (display != nullptr) XGetWindowAttributes(display, glXGetCurrentDrawable(), &attributes);
}

void platform_let_board_go() {
  board_display = glXGetCurrentDisplay();
  open_board = glXGetCurrentDrawable();
  boards.push_back(open_board);
}

// A window another program destroyed answers no question: the error that says so is tolerated above.
bool platform_board_exists() {
  XWindowAttributes attributes;
  return board_display == nullptr || XGetWindowAttributes(board_display, open_board, &attributes) != 0;
}
