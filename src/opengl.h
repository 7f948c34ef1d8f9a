// SPDX-License-Identifier: MIT
// The program's one way into OpenGL, GLU and freeglut. On Windows freeglut's header brings in windows.h,
// whose wingdi.h defines RELATIVE and ABSOLUTE as plain numbers: left defined, RELATIVE would silently become
// 2 wherever a navigation mode is named. They are undefined right here, after the only headers that define
// them; include guards keep those headers from defining them again.
#pragma once

#ifdef SOLAR_WITHOUT_GL
#error "a reader built without GL includes opengl.h"
#endif

#include <GL/freeglut.h>
#include <GL/glu.h>

#undef RELATIVE
#undef ABSOLUTE

// Runs the drawing with both matrices set so that one unit is one pixel of a width x height viewport, from
// its bottom-left corner: how the overlays and the depth view draw over a finished frame. Leaves both matrix
// stacks as it found them, the model-view current.
template <typename Drawing>
void draw_in_window_pixels(int width, int height, Drawing drawing) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, width, 0, height);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  drawing();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}
