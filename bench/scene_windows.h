// SPDX-License-Identifier: MIT
// The two windows of the program and the scene in them, for the drivers that draw frames without the
// program's shell: the benchmarks, the instruction counter and the picture tour. Each window is set up as
// the shell sets it up; nothing is drawn until the caller draws. Uses only the demo module's entry points,
// so that the instruction counter can be built against older revisions as well.
#pragma once

#include <GL/freeglut.h>

#include "demo.h"

namespace scene_windows {

constexpr int size_px = 512;

inline void ignore_display() {}

// glutInit, then the "Mother Ship" and "Scout Ship" windows side by side with the scene set up in both;
// fills windows[0] and windows[1] and leaves the mother window current.
inline void create(int argc, char** argv, int (&windows)[2]) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  const char* titles[] = {"Mother Ship", "Scout Ship"};
  for (int i = 0; i < 2; ++i) {
    glutInitWindowSize(size_px, size_px);
    glutInitWindowPosition(i * (size_px + 50), 100);
    windows[i] = glutCreateWindow(titles[i]);
    glutDisplayFunc(ignore_display);
  }
  demo_set_window_ids(windows[0], windows[1]);
  for (int w : windows) {
    glutSetWindow(w);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    demo_init();
    demo_resize(size_px, size_px);
  }
  glutSetWindow(windows[0]);
}

}  // namespace scene_windows
