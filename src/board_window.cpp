// SPDX-License-Identifier: MIT
#include "board_window.h"

#include <algorithm>
#include <vector>

#include "band_words.h"
#include "opengl.h"
#include "overlay_board.h"
#include "picture_file.h"
#include "window_frame.h"

namespace {

window_placement place = {};
board_shell shell = {};
window_text text;  // the board's context's own; a board opened again has a new context
bool close_handled = false;

void post_scene_redisplay() {
  for (const unsigned int window : {glut_mother_ship_window, glut_scout_ship_window}) {
    glutSetWindow(int(window));
    glutPostRedisplay();
  }
}

// The board let go: from here on Tab opens a new one, and the scene windows take their bands back.
void forget_board() {
  glut_board_window = 0;
  text = {};
  post_scene_redisplay();
}

// GLUT closes a window some time after it is asked to, with that window current: a board Tab already let go
// is no longer the board, and one closed by the window manager is let go now.
void board_closed() {
  if (unsigned(glutGetWindow()) == glut_board_window) forget_board();
}

// Closing the board through the window manager must close the board alone, and GLUT's choice is one for all
// windows: from the board's first opening on, a scene window closed ends the program itself, as it did.
void keep_scene_windows_ending_the_program() {
  if (close_handled) return;
  close_handled = true;
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  for (const unsigned int window : {glut_mother_ship_window, glut_scout_ship_window}) {
    glutSetWindow(int(window));
    glutCloseFunc(shell.scene_window_closed);
  }
}

}  // namespace

void board_prepare(const window_placement& at, const board_shell& callbacks) {
  place = at;
  shell = callbacks;
}

void board_open() {
  if (glut_board_window != 0) return;
  const int current = glutGetWindow();
  keep_scene_windows_ending_the_program();
  glutInitWindowSize(place.width, place.height);
  glutInitWindowPosition(place.x, place.y);
  glut_board_window = unsigned(glutCreateWindow(board_title));
  if (shell.name_window != nullptr) shell.name_window();
  glutKeyboardFunc(shell.keyboard);
  glutDisplayFunc(board_display);
  glutCloseFunc(board_closed);
  if (shell.special != nullptr) glutSpecialFunc(shell.special);
  post_scene_redisplay();
  if (current != 0) glutSetWindow(current);
}

namespace {

// The board's frame in the current window's back buffer; returns the part of the window it drew.
granted_viewport draw_board() {
  const granted_viewport largest = demo_largest_viewport();
  const int width = std::min(glutGet(GLUT_WINDOW_WIDTH), largest.width);
  const int height = std::min(glutGet(GLUT_WINDOW_HEIGHT), largest.height);
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT);
  if (text.max_texture_px == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &text.max_texture_px);
  std::vector<text_block> blocks;
  const board_layout layout = add_board(blocks, demo_board_text(), width, height, text.max_texture_px);
  draw_text_blocks(text, blocks, layout.scale, width, height);
  return {width, height};
}

}  // namespace

void board_display() {
  draw_board();
  glutSwapBuffers();
}

std::optional<picture_written> board_save_picture(const std::string& stem) {
  if (glut_board_window == 0) return std::nullopt;
  const int current = glutGetWindow();
  glutSetWindow(int(glut_board_window));
  const granted_viewport drawn = draw_board();
  const picture_written written = save_back_buffer(stem, drawn.width, drawn.height);
  if (current != 0) glutSetWindow(current);
  return written;
}

// The board is let go at once, so that a second Tab before GLUT has closed it opens a new one rather than
// destroying the same window twice.
void board_toggle() {
  if (glut_board_window == 0) return board_open();
  const int closing = int(glut_board_window);
  forget_board();
  glutDestroyWindow(closing);
}

// A board destroyed by another program closes alone: the scenes go on, and Tab opens a new one.
void board_check_window() {
  if (glut_board_window != 0 && shell.board_exists != nullptr && !shell.board_exists()) board_toggle();
}

void board_post_redisplay() {
  if (glut_board_window == 0) return;
  const int current = glutGetWindow();
  glutSetWindow(int(glut_board_window));
  glutPostRedisplay();
  if (current != 0) glutSetWindow(current);
}

bool board_is_current() { return glut_board_window != 0 && unsigned(glutGetWindow()) == glut_board_window; }
