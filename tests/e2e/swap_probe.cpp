// SPDX-License-Identifier: MIT
// Preloaded into a program under measurement: it passes every glXSwapBuffers on and keeps, in the file named
// by SWAP_PROBE_FILE, the monotonic time of each window's first swap and the running count of all swaps.
// The counts are rewritten in place at every swap, so they survive the program being killed. In the sanitizer
// build it also moves the leak check at exit forward, ahead of the GL libraries' own clean-up.
// It also passes on every registration of a window's GLUT callback, and writes each to the file named by
// CALLBACK_PROBE_FILE as "WINDOW TITLE: kind". With STARTUP_LOSS_PROBE_FILE set, the first window is not
// made: the probe writes "making a window" there, waits for the X server to go, and faults as the GL
// driver does when it reads the replies of a server gone in the middle of a window's creation.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#ifdef SOLAR_SANITIZED
#include <sanitizer/lsan_interface.h>
#endif

namespace {

struct probe_record {
  long long first_swap_ns[2] = {0, 0};  // the first two windows to swap, in order
  GLXDrawable drawable[2] = {0, 0};
  long long swaps = 0;
};

probe_record record;
int probe_fd = -2;

long long now_ns() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

#ifdef SOLAR_SANITIZED
// LeakSanitizer checks at exit after the GL libraries have unloaded their driver, whose allocations can then
// no longer be told from the program's own. Registered at the first swap, long after those libraries
// registered their clean-up, this runs before it: the program has deleted its scene by then, and whatever
// it leaked is reported with the driver still loaded.
void check_leaks_now() { __lsan_do_leak_check(); }
#endif

void note_swap(GLXDrawable drawable) {
#ifdef SOLAR_SANITIZED
  if (record.swaps == 0) std::atexit(check_leaks_now);
#endif
  if (probe_fd == -2) {
    const char* path = std::getenv("SWAP_PROBE_FILE");
    probe_fd = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  }
  for (int i = 0; i < 2; ++i) {
    if (record.drawable[i] == drawable) break;
    if (record.drawable[i] == 0) {
      record.drawable[i] = drawable;
      record.first_swap_ns[i] = now_ns();
      break;
    }
  }
  ++record.swaps;
  if (probe_fd >= 0) {
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%lld %lld %lld\n", record.first_swap_ns[0],
                                     record.first_swap_ns[1], record.swaps);
    if (pwrite(probe_fd, line, length, 0) != length) probe_fd = -1;
  }
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
  using swap_function = void (*)(Display*, GLXDrawable);
  static const swap_function real = reinterpret_cast<swap_function>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
  note_swap(drawable);
  real(display, drawable);
}

namespace {

std::map<int, std::string> window_titles;  // by GLUT window id

template <typename Function>
Function real_glut(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Each line is appended whole, so that the file holds every registration the program made before any moment.
template <typename Callback>
void pass_on(const char* function, const char* kind, Callback callback) {
  if (const char* path = std::getenv("CALLBACK_PROBE_FILE")) {
    const std::string line = window_titles[real_glut<int (*)()>("glutGetWindow")()] + ": " + kind + "\n";
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    const ssize_t written = fd < 0 ? 0 : write(fd, line.data(), line.size());
    static_cast<void>(written);
    if (fd >= 0) close(fd);
  }
  real_glut<void (*)(Callback)>(function)(callback);
}

}  // namespace

namespace {

// Waits up to ten seconds for the server's end on a connection of the probe's own, then faults.
void fault_once_the_server_has_gone(const char* path) {
  Display* own = XOpenDisplay(nullptr);
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const ssize_t written = fd < 0 ? 0 : write(fd, "making a window", 15);
  static_cast<void>(written);
  if (fd >= 0) close(fd);
  pollfd watched = {own != nullptr ? ConnectionNumber(own) : -1, POLLIN, 0};
  poll(&watched, 1, 10000);
  // A true fault, as the driver's is: a handler that returns has the access made again. A page that may not
  // be touched, rather than a null pointer, which the sanitizers would report as the probe's own mistake.
  void* const forbidden = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  *static_cast<volatile int*>(forbidden) = 1;
}

}  // namespace

extern "C" int glutCreateWindow(const char* title) {
  if (const char* path = std::getenv("STARTUP_LOSS_PROBE_FILE"); path != nullptr && window_titles.empty())
    fault_once_the_server_has_gone(path);
  const int window = real_glut<int (*)(const char*)>("glutCreateWindow")(title);
  window_titles[window] = title;
  return window;
}

// The window callbacks: the three the program registers, and those it must not.
#define PASS_ON(function, kind, parameters) \
  extern "C" void function(void(*callback) parameters) { pass_on(#function, kind, callback); }
PASS_ON(glutKeyboardFunc, "keyboard", (unsigned char, int, int))
PASS_ON(glutSpecialFunc, "special", (int, int, int))
PASS_ON(glutDisplayFunc, "display", (void))
PASS_ON(glutReshapeFunc, "reshape", (int, int))
PASS_ON(glutMouseFunc, "mouse", (int, int, int, int))
PASS_ON(glutMotionFunc, "motion", (int, int))
PASS_ON(glutPassiveMotionFunc, "passive motion", (int, int))
PASS_ON(glutEntryFunc, "entry", (int))
PASS_ON(glutVisibilityFunc, "visibility", (int))
PASS_ON(glutCloseFunc, "close", (void))
PASS_ON(glutWMCloseFunc, "window-manager close", (void))
PASS_ON(glutIdleFunc, "idle", (void))
#undef PASS_ON
