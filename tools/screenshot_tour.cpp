// SPDX-License-Identifier: MIT
// Renders the README's picture tour: both windows at start-up, over Earth after "g", following Saturn from
// 15 units, flying in RELATIVE, over Earth again with the overlays on, the scout's view volume from the
// side, and a pick of Jupiter seen from both windows. Each pair is what "solar_demo --keys KEYS [--pick X,Y]"
// shows half a second after it starts: a new scene, the keys typed through the program's own command table
// before the first tick, then the pick, then a fixed number of ticks; so a teacher gets the same view with
// the keys the README gives, and every run writes the same pictures, byte for byte. Writes binary PPM files
// named <step>_<mother|scout>.ppm into the folder given, and for the guide a pick of Saturn as "k" shows it
// (picking_mother.ppm), the board after "pikt" and an inspect of the sun (board.ppm), and the scene graph as
// Graphviz's dot language (scene_graph.dot).
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "board_window.h"
#include "demo.h"
#include "overlay.h"
#include "scene_windows.h"

namespace {

constexpr int window_size_px = scene_windows::size_px;
constexpr int ticks_before_picture = 15;  // half a second of the program's ticks
int windows[ship_count];

// The scene as the program starts it: built anew from the start of its random stream (glibc's drand48
// starts from an all-zero state, which seed48 restores), every view off, the mother ship with the keys.
void start_scene() {
  demo_cleanup();
  unsigned short zero_state[3] = {0, 0, 0};
  seed48(zero_state);
  shown = {};
  frozen = false;
  active_ship = MOTHER_SHIP;
  for (int w : windows) {
    glutSetWindow(w);
    // The lights are placed in eye coordinates as the model-view matrix stands when they are given: the
    // identity, as in a new context, not the last picture's camera.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    demo_init();
    demo_resize(window_size_px, window_size_px);
  }
}

void advance(int ticks) {
  for (int i = 0; i < ticks; ++i) demo_idle(compute_timer_step_s(default_timer_period_ms));
}

// One frame of the window, as the program draws it.
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

bool write_ppm(const std::string& path, const std::vector<unsigned char>& rgb, int width = window_size_px,
               int height = window_size_px) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  // OpenGL's rows run bottom to top, an image's top to bottom.
  for (int row = height - 1; row >= 0; --row) std::fwrite(&rgb[3 * size_t(row) * width], 1, 3 * width, out);
  return std::fclose(out) == 0;
}

// Both windows twice, so that each shows the other ship where that ship's camera is now.
bool take_pictures(const std::string& folder, const std::string& step) {
  draw(windows[MOTHER_SHIP]);
  draw(windows[SCOUT_SHIP]);
  return write_ppm(folder + "/" + step + "_mother.ppm", draw(windows[MOTHER_SHIP])) &&
         write_ppm(folder + "/" + step + "_scout.ppm", draw(windows[SCOUT_SHIP]));
}

// Where a body's centre shows in the mother window, in GLUT's pixels from the top left, as the names overlay
// finds it.
void find_body(body_name b, int& x, int& y) {
  draw(windows[MOTHER_SHIP]);
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const int viewport[4] = {0, 0, window_size_px, window_size_px};
  const auto at = compute_window_point(planet[b]->centre(), ships[MOTHER_SHIP]->pose, projection, viewport);
  x = at ? static_cast<int>((*at)[0]) : 0;
  y = at ? window_size_px - static_cast<int>((*at)[1]) : 0;
}

// The guide's picking figure, as the program draws it: "k" on, then Shift+space at (x, y) of the mother
// window, which keeps the pick and moves nothing: the region outlined, the body found ringed, the records.
bool take_pick_picture(const std::string& folder, int x, int y) {
  demo_type_keys("k", window_size_px / 2, window_size_px / 2);
  demo_type_keys(std::string(1, char(inspect_key)), x, y);
  draw(windows[MOTHER_SHIP]);
  return write_ppm(folder + "/picking_mother.ppm", draw(windows[MOTHER_SHIP]));
}

// The board as "--board 1280x400+0+624" opens it below two 512-pixel windows, after "pikt" and Shift+space at
// the mother window's middle, over the sun: both windows' numbers, whole.
bool take_board_picture(const std::string& folder) {
  const window_placement board = {1280, 400, 0, 624};
  board_prepare(board, 0, {nullptr, nullptr, nullptr, nullptr, nullptr});
  demo_type_keys("pikt\t", window_size_px / 2, window_size_px / 2);
  demo_type_keys(std::string(1, char(inspect_key)), window_size_px / 2, window_size_px / 2);
  std::vector<unsigned char> rgb(3 * size_t(board.width) * board.height);
  for (int frame = 0; frame < 2; ++frame) {
    glutSetWindow(int(glut_board_window));
    board_display();
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, board.width, board.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  }
  demo_type_keys("\t", window_size_px / 2, window_size_px / 2);
  return write_ppm(folder + "/board.ppm", rgb, board.width, board.height);
}

// The scene graph as the program built it: each body under its parent, in the order the walks visit them,
// filled with its own colour and labelled with its radius and orbit.
bool write_scene_graph(const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  std::fprintf(out,
               "digraph scene {\n  node [shape=box, style=\"rounded,filled\", fontname=\"Helvetica\"];\n");
  std::fprintf(out, "  edge [fontname=\"Helvetica\", fontsize=10];\n");
  for (int b = 0; b < body_count; ++b) {
    const body& each = *planet[b];
    const float* c = each.color;
    const bool dark = 0.3 * c[0] + 0.6 * c[1] + 0.1 * c[2] < 0.5;
    std::fprintf(out, "  b%d [label=\"%s\\nradius %g\", fillcolor=\"#%02x%02x%02x\", fontcolor=%s];\n", b,
                 demo_body_label(body_name(b)), each.radius, int(c[0] * 255), int(c[1] * 255),
                 int(c[2] * 255), dark ? "white" : "black");
    for (const body* child : each.children)
      std::fprintf(out, "  b%d -> b%d [label=\" orbit %g\"];\n", b, child->name, child->orbit_radius);
  }
  std::fprintf(out, "}\n");
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  scene_windows::create(argc, argv, windows);
  // Each picture's keys, as the README gives them to --keys.
  const std::string volume_keys = "====" + std::string(50, 'x') + std::string(14, 'y') +
                                  std::string(12, 'Z') + std::string(5, 'b') + std::string(10, 'c') + "nv";
  struct picture {
    const char* step;
    std::string keys;
    int pick_x = -1, pick_y = -1;  // where --pick points in the mother window, when the README gives it
  };
  const picture tour[] = {
      {"default", ""},
      {"earth", "g"},
      {"saturn", "g6ssssssssss"},
      {"relative", "r=====wwwwwwwwwwwwwxxxxxxxxxxqqqqqqqqqq"},
      {"overlays", "ghn"},
      {"volume", volume_keys},
      {"pick", "p<g5" + std::string(15, 's') + "kv", 220, 298},
  };
  bool written = true;
  for (const auto& [step, keys, pick_x, pick_y] : tour) {
    start_scene();
    demo_type_keys(keys, window_size_px / 2, window_size_px / 2);
    if (pick_x >= 0) demo_type_keys(" ", pick_x, pick_y);
    advance(ticks_before_picture);
    written = take_pictures(folder, step) && written;
  }
  start_scene();
  advance(ticks_before_picture);
  int x = 0, y = 0;
  find_body(SATURN, x, y);
  written = take_pick_picture(folder, x, y) && written;
  start_scene();
  written = take_board_picture(folder) && written;
  written = write_scene_graph(folder + "/scene_graph.dot") && written;
  demo_cleanup();
  return written ? 0 : 1;
}
