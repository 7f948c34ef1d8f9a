// SPDX-License-Identifier: MIT
// Renders the README's picture tour: both windows at start-up, over Earth after "g", following Saturn from
// 15 units after a pick, flying in RELATIVE, and with the overlays on. The keys go through the program's own
// command table and the scene moves by a fixed number of ticks between pictures, so every run writes the same
// pictures, byte for byte. Writes binary PPM files named <step>_<mother|scout>.ppm into the folder given.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo.h"
#include "scene_windows.h"

namespace {

constexpr int window_size_px = scene_windows::size_px;
constexpr int ticks_between_pictures = 15;
int windows[ship_count];

void advance(int ticks) {
  for (int i = 0; i < ticks; ++i) demo_idle(compute_timer_step_s(default_timer_period_ms));
}

std::vector<unsigned char> draw(int window) {
  glutSetWindow(window);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  demo_display();
  glFinish();
  std::vector<unsigned char> rgb(3 * window_size_px * window_size_px);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, window_size_px, window_size_px, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

bool write_ppm(const std::string& path, const std::vector<unsigned char>& rgb) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", window_size_px, window_size_px);
  // OpenGL's rows run bottom to top, an image's top to bottom.
  for (int row = window_size_px - 1; row >= 0; --row)
    std::fwrite(&rgb[3 * size_t(row) * window_size_px], 1, 3 * window_size_px, out);
  return std::fclose(out) == 0;
}

// Both windows twice, so that each shows the other ship where that ship's camera is now.
bool take_pictures(const std::string& folder, const std::string& step) {
  draw(windows[MOTHER_SHIP]);
  draw(windows[SCOUT_SHIP]);
  return write_ppm(folder + "/" + step + "_mother.ppm", draw(windows[MOTHER_SHIP])) &&
         write_ppm(folder + "/" + step + "_scout.ppm", draw(windows[SCOUT_SHIP]));
}

// Keys typed in the mother window with the pointer at (x, y), as a user there would.
void type(const std::string& keys, int x = window_size_px / 2, int y = window_size_px / 2) {
  for (char key : keys) {
    glutSetWindow(windows[MOTHER_SHIP]);
    demo_keyboard(static_cast<unsigned char>(key), x, y);
  }
}

// Where Saturn's centre shows in the mother window, in GLUT's pixels from the top left.
void find_saturn(int& x, int& y) {
  draw(windows[MOTHER_SHIP]);
  GLdouble model[16], projection[16], wx, wy, wz;
  GLint viewport[4];
  for (int i = 0; i < 16; ++i) model[i] = ships[MOTHER_SHIP]->pose[i];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float* centre = &planet[SATURN]->world_pose[12];
  gluProject(centre[0], centre[1], centre[2], model, projection, viewport, &wx, &wy, &wz);
  x = static_cast<int>(wx);
  y = viewport[3] - static_cast<int>(wy);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  scene_windows::create(argc, argv, windows);
  bool written = true;
  advance(ticks_between_pictures);
  written = take_pictures(folder, "default") && written;
  type("g");
  advance(ticks_between_pictures);
  written = take_pictures(folder, "earth") && written;
  type("m");
  advance(ticks_between_pictures);
  int x = 0, y = 0;
  find_saturn(x, y);
  type(" ", x, y);
  type("ssssssssss");  // back off to 15 units, outside the rings
  advance(ticks_between_pictures);
  written = take_pictures(folder, "saturn") && written;
  type("rqqqqqqqqqqwwwwwwwwwwwwxxxxx");
  written = take_pictures(folder, "relative") && written;
  type("lhn");
  written = take_pictures(folder, "overlays") && written;
  demo_cleanup();
  return written ? 0 : 1;
}
