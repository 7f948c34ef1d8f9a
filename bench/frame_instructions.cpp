// SPDX-License-Identifier: MIT
// Instruction counts of steady frames and picks, for callgrind: builds the scene in two windows like the
// program's, warms both up, then draws a fixed number of frames of each window and a fixed number of picks
// inside the two functions that tools/frame_instructions.sh tells callgrind to count. Uses only the demo
// module's entry points, so the same driver can be built against an older revision to compare. A second
// argument, "overlays", turns both overlays on first; "views" presses h, n, i, v and o.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo.h"
#include "scene_windows.h"

namespace {

int windows[2];

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

extern "C" __attribute__((noinline)) void measured_picks(int picks) {
  glutSetWindow(windows[0]);
  for (int i = 0; i < picks; ++i) demo_pick(256, 256);
}

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (argc > 2 && std::string(argv[2]) == "overlays") status_overlay_on = names_overlay_on = true;
  if (argc > 2 && std::string(argv[2]) == "status") status_overlay_on = true;
  if (argc > 2 && std::string(argv[2]) == "names") names_overlay_on = true;
  scene_windows::create(argc, argv, windows);
  // Every view on, through the keys, which any revision's command table takes (or passes on harmlessly).
  if (argc > 2 && std::string(argv[2]) == "views")
    for (const char key : std::string("hnivo")) demo_keyboard(static_cast<unsigned char>(key), 256, 256);
  // The driver compiles shader variants in the first frames and picks: leave them out of the counts.
  draw_rounds(5);
  glutSetWindow(windows[0]);
  for (int i = 0; i < 5; ++i) demo_pick(256, 256);
  measured_frames(rounds);
  measured_picks(rounds);
  std::printf("%d rounds of two frames, %d picks\n", rounds, rounds);
  demo_cleanup();
  return 0;
}
