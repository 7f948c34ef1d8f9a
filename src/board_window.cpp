// SPDX-License-Identifier: MIT
#include "board_window.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "band_words.h"
#include "opengl.h"
#include "overlay_board.h"
#include "picture_file.h"
#include "window_frame.h"

namespace {

std::optional<window_placement> named_place;
int gap = 0;
board_shell shell = {};
// Where the scene windows stood before they made room for the board, to go back to when it closes.
std::optional<std::array<window_placement, 2>> given_back;
window_text text;  // the board's context's own; a board opened again has a new context
bool close_handled = false;

void post_scene_redisplay() {
  for (const unsigned int window : {glut_mother_ship_window, glut_scout_ship_window}) {
    glutSetWindow(int(window));
    glutPostRedisplay();
  }
}

window_placement query_placement(unsigned int window) {
  glutSetWindow(int(window));
  return {glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT), glutGet(GLUT_WINDOW_X),
          glutGet(GLUT_WINDOW_Y)};
}

void move_window(unsigned int window, const window_placement& to) {
  glutSetWindow(int(window));
  glutPositionWindow(to.x, to.y);
  glutReshapeWindow(to.width, to.height);
}

// The board's place: the one named, or the room the scene windows leave, which they make where there is none
// that holds the board's numbers whole.
window_placement arrange_board() {
  if (named_place) return *named_place;
  const window_placement mother = query_placement(glut_mother_ship_window);
  const window_placement scout = query_placement(glut_scout_ship_window);
  const granted_viewport largest = demo_largest_viewport();
  const board_text shown = demo_board_text();
  const auto holds_whole = [&](int width, int height) {
    return compute_board_layout(shown, std::min(width, largest.width), std::min(height, largest.height),
                                largest.width)
        .whole;
  };
  const board_arrangement arranged = compute_board_arrangement(mother, scout, gap, glutGet(GLUT_SCREEN_WIDTH),
                                                               glutGet(GLUT_SCREEN_HEIGHT), holds_whole);
  if (arranged.windows_move) {
    given_back = std::array<window_placement, 2>{mother, scout};
    move_window(glut_mother_ship_window, arranged.mother);
    move_window(glut_scout_ship_window, arranged.scout);
  }
  return {std::min(arranged.board.width, largest.width), std::min(arranged.board.height, largest.height),
          arranged.board.x, arranged.board.y};
}

// The board let go: from here on Tab opens a new one, and the scene windows take their bands back, and their
// place where they made room for it.
void forget_board() {
  glut_board_window = 0;
  text = {};
  if (given_back) {
    move_window(glut_mother_ship_window, (*given_back)[0]);
    move_window(glut_scout_ship_window, (*given_back)[1]);
    given_back.reset();
  }
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

void board_prepare(const std::optional<window_placement>& at, int gap_px, const board_shell& callbacks) {
  named_place = at;
  gap = gap_px;
  shell = callbacks;
}

void board_open() {
  if (glut_board_window != 0) return;
  const int current = glutGetWindow();
  keep_scene_windows_ending_the_program();
  const window_placement place = arrange_board();
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

// The board's layout and what it was made from: it is made again only when the text or the size changes,
// a few times a second at most, not at every frame.
struct laid_out {
  board_text text;
  int width = 0, height = 0;
  board_layout layout;
};
laid_out last;

// The board's frame in the current window's back buffer; returns the part of the window it drew.
granted_viewport draw_board() {
  const granted_viewport largest = demo_largest_viewport();
  const int width = std::min(glutGet(GLUT_WINDOW_WIDTH), largest.width);
  const int height = std::min(glutGet(GLUT_WINDOW_HEIGHT), largest.height);
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT);
  if (text.max_texture_px == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &text.max_texture_px);
  board_text now = demo_board_text();
  if (!(now == last.text) || width != last.width || height != last.height)
    last = {now, width, height, compute_board_layout(now, width, height, text.max_texture_px)};
  std::vector<text_block> blocks;
  add_board_blocks(blocks, last.layout, height);
  draw_text_blocks(text, blocks, last.layout.scale, width, height);
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
