// SPDX-License-Identifier: MIT
// The shared GL context of the in-process tests: a real freeglut window pair under the X server named by
// DISPLAY (the test script starts Xvfb when there is none), drawn by Mesa's software renderer. Tests derive
// their fixture from GlTest, which checks after every test that no GL error is pending and that the
// model-view and name stacks are balanced.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "demo.h"
#include "overlay.h"

namespace gl_test {

constexpr int window_size_px = 512;

// GLUT ids of the two test windows, titled like the program's.
int mother_window();
int scout_window();

// How often GLUT called a window's display callback since reset_redraws, which first handles what is pending.
int redraws(int window);
void reset_redraws();
// Handles events until both windows have been redrawn since reset_redraws; false if not within seconds.
bool wait_for_redraws();
// Lets GLUT handle pending events (redisplays among them) once, keeping the current window.
void handle_pending_events();

// Asks GLUT to give a window a new size and handles events until it has it, leaving it current; false if it
// has not within 20 seconds.
bool resize_window(int window, int width, int height);

// Makes a window current and selects the model-view matrix with the identity loaded.
void make_current(int window);

// Restarts the process's drand48 stream at the state it has before anything draws from it.
void reseed_default_stream();

// Deletes any scene, re-seeds the stream and builds it anew as the program does: init on the mother window,
// then on the scout window; every overlay and view off, the scene running at rate 1.
void rebuild_scene();

// A body's centre in world coordinates, from the world matrix of the last frame drawn.
std::array<float, 3> body_centre(body_name b);

// Window coordinates (origin bottom left, depth from 0 to 1) of a world point seen by a ship, through the
// current projection and viewport, as the names overlay finds them (NaN behind the camera): call it after a
// normal frame, before a pick narrows the projection.
std::array<float, 3> window_point(const std::array<float, 3>& world, ship_name viewer);

// A 4x4 column-major matrix read from the current model-view.
std::array<float, 16> current_modelview();
int modelview_depth();
int name_stack_depth();

struct rgb {
  int r, g, b;
};
// Reads one pixel of the back buffer, origin at the bottom left, as 0-255 levels.
rgb read_pixel(int x, int y);
// The whole back buffer as RGB bytes, bottom row first.
std::vector<unsigned char> read_frame();
// Clears and draws one normal frame of the current window without swapping.
void draw_frame();
// draw_frame, then read_frame.
std::vector<unsigned char> draw_and_read_frame();
// A selection pass around (x, y) in the current window, as the count glRenderMode returned followed by the
// records it counts, whole: names, depths and all.
using hit_list = std::vector<unsigned int>;
hit_list select(int x, int y);

// A key through the command table with the pointer at the mother window's centre, then the mother window
// current again with the identity model-view, as the scene stands still.
void press(unsigned char key);

}  // namespace gl_test

class GlTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
