// SPDX-License-Identifier: MIT
#include "x_session.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace e2e {

bool wait_until(milliseconds deadline, const std::function<bool()>& condition) {
  const auto end = clock::now() + deadline;
  while (!condition()) {
    if (clock::now() >= end) return condition();
    std::this_thread::sleep_for(milliseconds(5));  // a polling interval, not a synchronisation
  }
  return true;
}

namespace {

// A window can vanish between finding it and asking about it: Wine makes and destroys windows of its own
// while the program starts. Such a question then simply finds nothing. Any other error ends the test at
// once: Xlib's default handler would call exit(), which can hang in freeglut's clean-up.
int on_x_error(Display* x, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadMatch || error->error_code == BadDrawable)
    return 0;
  char text[160] = "";
  XGetErrorText(x, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error \"%s\" (request %d)\n", text, error->request_code);
  std::abort();
}

}  // namespace

virtual_display::virtual_display(const char* screen) {
  XSetErrorHandler(on_x_error);
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  server_ = fork();
  if (server_ == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
  name_ = ":" + number;
  wait_until(milliseconds(10000), [&] { return (connection_ = XOpenDisplay(name_.c_str())) != nullptr; });
  if (connection_ == nullptr) throw std::runtime_error("cannot connect to " + name_);
}

void virtual_display::kill_server() {
  // Any later call on a connection to a dead server would end this process through Xlib's handler.
  if (connection_ != nullptr) XCloseDisplay(connection_);
  connection_ = nullptr;
  if (server_ > 0) {
    kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
  }
  server_ = -1;
}

// The server is asked to end, and killed if it has not within a few seconds: a test must never hang in its
// clean-up, where nothing it prints would say why.
virtual_display::~virtual_display() {
  if (connection_ != nullptr) XCloseDisplay(connection_);
  if (server_ <= 0) return;
  kill(server_, SIGTERM);
  if (!wait_until(milliseconds(5000), [&] { return waitpid(server_, nullptr, WNOHANG) == server_; })) {
    kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
  }
}

program::program(const std::string& path, const std::string& display,
                 const std::vector<std::string>& environment, const std::string& error_file,
                 const std::vector<std::string>& arguments) {
  pid_ = fork();
  if (pid_ == 0) {
    if (!error_file.empty()) {
      const int errors = open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (errors >= 0) dup2(errors, STDERR_FILENO);
    }
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("GDK_SCALE");  // the program's text scale comes from its own display, not the tests' desktop
    for (const std::string& entry : environment) putenv(strdup(entry.c_str()));
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

program::~program() {
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool program::running() {
  if (status_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    wait_status_ = status;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  return true;
}

std::string program::how_it_ended() const {
  if (!status_) return "still running";
  if (WIFSIGNALED(wait_status_))
    return "killed by signal " + std::to_string(WTERMSIG(wait_status_)) + " (" +
           strsignal(WTERMSIG(wait_status_)) + ")";
  return "exited with status " + std::to_string(WEXITSTATUS(wait_status_));
}

std::string make_own_file(const std::string& prefix) {
  std::string path = prefix + "XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) throw std::runtime_error("cannot create a file at " + path);
  close(fd);
  return path;
}

std::string read_file(const std::string& path) {
  std::string text;
  FILE* in = std::fopen(path.c_str(), "r");
  if (in == nullptr) return text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) text.append(chunk, got);
  std::fclose(in);
  return text;
}

std::optional<int> program::wait_exit(milliseconds deadline) {
  wait_until(deadline, [&] { return !running(); });
  return status_;
}

namespace {

Window search_tree(Display* x, Window w, const std::string& title) {
  char* name = nullptr;
  if (XFetchName(x, w, &name) && name != nullptr) {
    const bool match = title == name;
    XFree(name);
    XWindowAttributes attributes;
    if (match && XGetWindowAttributes(x, w, &attributes) && attributes.map_state == IsViewable) return w;
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  Window found = 0;
  if (XQueryTree(x, w, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && found == 0; ++i) found = search_tree(x, children[i], title);
    if (children != nullptr) XFree(children);
  }
  return found;
}

}  // namespace

Window find_window(Display* x, const std::string& title, milliseconds deadline) {
  Window found = 0;
  wait_until(deadline, [&] {
    XSync(x, False);
    found = search_tree(x, DefaultRootWindow(x), title);
    return found != 0;
  });
  return found;
}

geometry window_geometry(Display* x, Window w) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(x, w, &attributes);
  int root_x = 0, root_y = 0;
  Window child;
  XTranslateCoordinates(x, w, DefaultRootWindow(x), 0, 0, &root_x, &root_y, &child);
  return {root_x, root_y, attributes.width, attributes.height};
}

image capture(Display* x, Window w) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x, w, &attributes)) return image{};
  return capture_region(x, w, 0, 0, attributes.width, attributes.height);
}

image capture_region(Display* x, Window w, int left, int top, int width, int height) {
  image result;
  XImage* shot = XGetImage(x, w, left, top, width, height, AllPlanes, ZPixmap);
  if (shot == nullptr) return result;
  result.width = width;
  result.height = height;
  result.rgb.resize(size_t(3) * result.width * result.height);
  for (int py = 0; py < result.height; ++py)
    for (int px = 0; px < result.width; ++px) {
      const unsigned long value = XGetPixel(shot, px, py);
      unsigned char* out = &result.rgb[3 * (size_t(py) * result.width + px)];
      out[0] = (value & shot->red_mask) >> 16;
      out[1] = (value & shot->green_mask) >> 8;
      out[2] = value & shot->blue_mask;
    }
  XDestroyImage(shot);
  return result;
}

void save_ppm(const image& img, const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return;
  std::fprintf(out, "P6\n%d %d\n255\n", img.width, img.height);
  std::fwrite(img.rgb.data(), 1, img.rgb.size(), out);
  std::fclose(out);
}

void move_pointer(Display* x, Window w, int px, int py) {
  const geometry g = window_geometry(x, w);
  XTestFakeMotionEvent(x, DefaultScreen(x), g.x + px, g.y + py, CurrentTime);
  XSync(x, False);
}

void click(Display* x, Window w, int px, int py) {
  move_pointer(x, w, px, py);
  XTestFakeButtonEvent(x, 1, True, CurrentTime);
  XTestFakeButtonEvent(x, 1, False, CurrentTime);
  XSync(x, False);
}

void press_keysym(Display* x, unsigned long keysym) {
  const KeyCode code = XKeysymToKeycode(x, keysym);
  if (code == 0) throw std::runtime_error("no key types keysym " + std::to_string(keysym));
  const bool shifted = XkbKeycodeToKeysym(x, code, 0, 0) != keysym;
  const KeyCode shift = XKeysymToKeycode(x, XK_Shift_L);
  if (shifted) XTestFakeKeyEvent(x, shift, True, CurrentTime);
  XTestFakeKeyEvent(x, code, True, CurrentTime);
  XTestFakeKeyEvent(x, code, False, CurrentTime);
  if (shifted) XTestFakeKeyEvent(x, shift, False, CurrentTime);
  XSync(x, False);
}

void type_char(Display* x, char c) {
  // Printable Latin-1 characters are their own keysyms.
  if (c == 27) return press_keysym(x, XK_Escape);
  if (c >= 0x20 && c < 0x7f) return press_keysym(x, static_cast<unsigned char>(c));
  throw std::runtime_error("no keysym for character " + std::to_string(int(c)));
}

image read_png(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  image read;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return read;
  png.format = PNG_FORMAT_RGB;
  read.width = int(png.width);
  read.height = int(png.height);
  read.rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, read.rgb.data(), 0, nullptr)) return {};
  return read;
}

}  // namespace e2e
