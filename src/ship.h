// SPDX-License-Identifier: MIT
// A ship: one camera flying through the scene, the navigation state the keyboard changes, and the box model
// the other window draws where this camera is. Relative moves and the camera compose on the OpenGL model-view
// stack, so they need a current GL context with GL_MODELVIEW selected. A ship follows a body without owning
// it.
#pragma once

#include <array>
#include <vector>

#include "matrix_math.h"
#include "scene_names.h"

class body;
class ship;

// Every box of the ship model lies within this distance of its camera point, in scene units.
constexpr float ship_model_radius = 3.7f;

// One row of a navigation mode's key table: the keys, how --help and the status overlay write them and what
// they do, and the action, told which of the keys was pressed (its index in keys).
struct key_binding {
  const char* keys;
  const char* label;
  const char* help;
  void (*act)(ship& s, int which);
};
// Where the key stands in a row's keys, or -1: the row's action is told this index. Compares the 8-bit code
// exactly, so letters are case-sensitive and NUL, which ends the row, is in none.
int find_key(const char* keys, unsigned char key);
// A mode's key table, the one place its keys are defined; empty for a value that is no mode.
const std::vector<key_binding>& ship_key_table(navigation_mode mode);

class ship {
 public:
  // The model path is accepted and never opened: every ship is drawn with the same built-in model.
  explicit ship(const char* model_path);
  ~ship() = default;

  // Restores every navigation field to its default; pose and the model lists are left as they are.
  void reset();
  // Stores both unconditionally: GEOSYNCH comes with a body to follow, the other modes with null.
  void set_mode(navigation_mode new_mode, body* followed);
  navigation_mode get_mode() const;

  // Each move adds to the current value, scaled by the current step of its mode.
  void move_lookat_eye(float dx, float dy, float dz);
  void move_lookat_origin(float dx, float dy, float dz);
  void move_lookat_up(float dx, float dy, float dz);
  void move_geosynch_Z(float dz);
  // Turns the view about the camera's own y, x and z axes by relative_turn degrees times each argument.
  void move_relative_roll(float about_y, float about_x, float about_z);
  // Moves the view along the camera's viewing axis: positive is forward.
  void move_relative_Z(float dz);
  // Scale the step of the current mode by 1.5 or 0.666. A step stays finite: the increase that would take it
  // past the largest float is not made.
  void increase_speed();
  void decrease_speed();
  // The step of the current mode, and whether it is the largest that "=" makes.
  float get_step() const;
  bool at_largest_step() const;

  // Interprets a key with the table of the current mode (ship_key_table); keys outside it are ignored.
  void handle_keyboard(unsigned char key);
  void handle_key_lookat(unsigned char key);
  void handle_key_relative(unsigned char key);
  void handle_key_geosynch(unsigned char key);

  // Multiplies this mode's view onto the current (identity) model-view and stores the result in pose.
  void apply_camera();
  // The camera's place from the current state, pose untouched: the same view apply_camera would store now.
  // Composes on the model-view stack, which it leaves as it found it.
  camera_place locate_camera() const;
  // Inverts m in place by the adjugate; leaves it untouched and returns false if the determinant is 0.
  bool invert_pose(float* m) const;
  // Draws this ship's model at its camera under the viewing camera; draws nothing in SELECT.
  void draw_camera(render_mode pass);
  // Emits the eleven boxes of the model in model coordinates, nose along +z.
  void draw_x_wing();

  navigation_mode mode;
  float lookat_speed;                         // scale of every LOOKAT step
  float eye[3];                               // LOOKAT eye point, world units
  float origin[3];                            // LOOKAT point looked at
  float up[3];                                // LOOKAT up vector, never normalised
  float relative_speed;                       // length of one RELATIVE step
  float relative_turn;                        // degrees of one RELATIVE turn
  float pose[16] = {1, 0, 0, 0, 0, 1, 0, 0,   // world-to-eye matrix last applied, column-major;
                    0, 0, 1, 0, 0, 0, 0, 1};  // the identity until the ship's window first draws
  body* geosynch_body;                        // the body followed in GEOSYNCH; not owned
  float geosynch_speed;                       // scale of one GEOSYNCH zoom step
  float geosynch_distance;                    // camera distance from the followed body's centre
  std::vector<float> model_vertices;          // never filled: the model is built in
  std::vector<int> model_indices;             // never filled: the model is built in

 private:
  float* current_step();
  // Multiplies the current mode's view onto the current matrix.
  void multiply_view() const;
  // Why this LOOKAT state makes no view, or null when it does.
  const char* find_lookat_fault() const;
};
