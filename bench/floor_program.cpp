// SPDX-License-Identifier: MIT
// The floor of the whole-process comparison: the program's shell without its scene. The same two windows,
// display mode, 33 ms timer and redisplays, each frame cleared and swapped with nothing drawn, and Escape to
// quit. Whatever the real program costs beyond this is the scene's own cost.
#include <GL/freeglut.h>

#include <cstdlib>

#include "demo.h"

namespace {

int windows[2];
bool quit = false;

void display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
}

void keyboard(unsigned char key, int /*x*/, int /*y*/) {
  if (key == 27) quit = true;
}

void tick(int /*value*/) {
  if (quit) std::exit(0);
  for (int w : windows) {
    glutSetWindow(w);
    glutPostRedisplay();
  }
  glutTimerFunc(compute_timer_delay_ms(default_timer_period_ms), tick, 0);
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  const char* titles[] = {"Mother Ship", "Scout Ship"};
  for (int i = 0; i < 2; ++i) {
    glutInitWindowSize(512, 512);
    glutInitWindowPosition(i * 562, 100);
    windows[i] = glutCreateWindow(titles[i]);
    glutKeyboardFunc(keyboard);
    glutDisplayFunc(display);
    glClearColor(0, 0, 0, 0);
  }
  tick(0);
  glutMainLoop();
  return 0;
}
