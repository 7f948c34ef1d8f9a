// SPDX-License-Identifier: MIT
// Instruction counts of steady frames and picks, for callgrind: builds the scene in two windows like the
// program's, warms both up, then draws a fixed number of frames of each window and a fixed number of picks
// inside the two functions that tools/frame_instructions.sh tells callgrind to count. Uses only the demo
// module's entry points, so the same driver can be built against an older revision to compare. A second
// argument, "overlays", turns both overlays on first; "views" presses h, n, i, v and o; "every" adds k and t,
// which show the warm-up's last pick and the chain of the body it found; "depth" shows the depth buffer;
// "board" opens the board with every view on, and also draws the board's frames inside a third function.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <type_traits>

#include "demo.h"
#include "scene_windows.h"
#if __has_include("board_window.h")
#include "board_window.h"
#define SOLAR_HAS_BOARD 1
#endif

namespace {

#ifdef SOLAR_HAS_BOARD
// The board below two 512-pixel windows, whichever way this revision's board takes its place.
template <typename prepare_function>
void prepare_board(prepare_function prepare) {
  const window_placement below = {1074, 362, 0, 662};
  const board_shell none = {nullptr, nullptr, nullptr, nullptr, nullptr};
  if constexpr (std::is_invocable_v<prepare_function, std::optional<window_placement>, int, board_shell>)
    prepare(below, 0, none);
  else
    prepare(below, none);
}
#endif

int windows[2];
constexpr int notice_ticks = 100;  // more than the three seconds a key's word stays

// One frame of each window per round, as a tick draws them, with the scene moved between rounds.
void draw_rounds(int rounds) {
  for (int round = 0; round < rounds; ++round) {
    demo_idle(compute_timer_step_s(default_timer_period_ms));
    for (int w : windows) {
      glutSetWindow(w);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      demo_display();
      glFinish();
    }
  }
}

}  // namespace

extern "C" __attribute__((noinline)) void measured_frames(int rounds) { draw_rounds(rounds); }

extern "C" __attribute__((noinline)) void measured_board(int rounds) {
#ifdef SOLAR_HAS_BOARD
  if (glut_board_window == 0) return;
  for (int round = 0; round < rounds; ++round) {
    glutSetWindow(int(glut_board_window));
    board_display();
    glFinish();
  }
#else
  (void)rounds;
#endif
}

extern "C" __attribute__((noinline)) void measured_picks(int picks) {
  glutSetWindow(windows[0]);
  for (int i = 0; i < picks; ++i) demo_pick(256, 256);
}

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
  scene_windows::create(argc, argv, windows);
  // The views asked for are switched on through their keys, which any revision's command table takes (or
  // passes on harmlessly), so that this driver builds against every revision's library.
  const std::map<std::string, std::string> keys_of = {{"overlays", "hn"},   {"status", "h"},
                                                      {"names", "n"},       {"views", "hnivo"},
                                                      {"every", "hnivokt"}, {"depth", "u"}};
#ifdef SOLAR_HAS_BOARD
  prepare_board(board_prepare);
  if (argc > 2 && std::string(argv[2]) == "board")
    for (const char key : std::string("hnivokt\t")) demo_keyboard(static_cast<unsigned char>(key), 256, 256);
#endif
  if (argc > 2 && keys_of.count(argv[2]) != 0)
    for (const char key : keys_of.at(argv[2])) demo_keyboard(static_cast<unsigned char>(key), 256, 256);
  // The driver compiles shader variants in the first frames and picks: leave them out of the counts. The
  // warm-up's picks are the space key's, of the sun, which no ship follows, so that "k" has a pick to show.
  draw_rounds(5);
  glutSetWindow(windows[0]);
  for (int i = 0; i < 5; ++i) demo_keyboard(' ', 256, 256);
  // Their word ("the Sun is never followed") shows for three seconds: let it go, as the ticks would.
  for (int i = 0; i < notice_ticks; ++i) demo_idle(compute_timer_step_s(default_timer_period_ms));
  measured_frames(rounds);
  measured_board(rounds);
  measured_picks(rounds);
  std::printf("%d rounds of two frames, %d picks\n", rounds, rounds);
  demo_cleanup();
  return 0;
}
