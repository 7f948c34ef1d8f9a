// SPDX-License-Identifier: MIT
// Ship navigation and camera: defaults, mode switches, the movement operations, step sizes and per-mode key
// tables; the view each mode puts on the model-view stack, the closed-form inverse that turns a view back
// into a camera frame, and the box model drawn there. Views compose on the GL stack; where a camera stands is
// read from its view with the double inverse of matrix_math.h, for the views that show it.
#include "ship.h"

#include <cmath>
#include <cstring>

#include "matrix_math.h"
#include "opengl.h"
#include "solar_system.h"

namespace {

constexpr float speed_up_factor = 1.5f;
constexpr float slow_down_factor = 0.666f;  // deliberately not 2/3: "=" then "-" leaves 0.999

constexpr float default_eye[3] = {0.0f, 50.0f, 100.0f};
constexpr float default_origin[3] = {0.0f, 0.0f, 0.0f};
constexpr float default_up[3] = {0.0f, 1.0f, 0.0f};
constexpr float default_relative_turn_deg = 2.0f;
constexpr float default_geosynch_distance = 5.0f;

// Where a GEOSYNCH camera holds station in the followed body's frame.
constexpr float geosynch_yaw_deg = 60.0f;
constexpr float geosynch_pitch_deg = 30.0f;

// The filled faces of the ship model are pushed back in depth so that the wire-frame drawn over them with the
// same geometry wins the GL_LESS depth test along its whole length.
constexpr float model_fill_offset_factor = 1.0f;
constexpr float model_fill_offset_units = 1.0f;
constexpr float model_grey = 0.2f;

struct box {
  float centre[3];
  float size[3];
};

// clang-format off
constexpr box hull = {{0, 0, 1.5f}, {0.4f, 0.4f, 3}};
constexpr float hull_roll_deg = 45;  // stands the square section on edge
// One wing group, drawn twice, rolled +30 and -30 degrees about the ship's axis.
constexpr box wing_group[] = {
  {{0, 0, 0.25f},     {4, 0.1f, 0.5f}},     // wing plate
  {{0.5f, 0, 0.75f},  {0.4f, 0.4f, 1.5f}},  // pod at +x
  {{-0.5f, 0, 0.75f}, {0.4f, 0.4f, 1.5f}},  // pod at -x
  {{-2, 0, 1},        {0.1f, 0.1f, 2}},     // wing-tip rod at -x
  {{2, 0, 1},         {0.1f, 0.1f, 2}},     // wing-tip rod at +x
};
constexpr float wing_roll_deg[] = {30, -30};
// clang-format on

void draw_box(const box& b) {
  glPushMatrix();
  {
    glTranslatef(b.centre[0], b.centre[1], b.centre[2]);
    glScalef(b.size[0], b.size[1], b.size[2]);
    glutSolidCube(1.0);
  }
  glPopMatrix();
}

void add_scaled(float* vec, float scale, float dx, float dy, float dz) {
  vec[0] += scale * dx;
  vec[1] += scale * dy;
  vec[2] += scale * dz;
}

void copy3(float* to, const float* from) {
  for (int i = 0; i < 3; ++i) to[i] = from[i];
}

}  // namespace

ship::ship(const char* /*model_path*/) { reset(); }

void ship::reset() {
  mode = LOOKAT;
  lookat_speed = 1.0f;
  copy3(eye, default_eye);
  copy3(origin, default_origin);
  copy3(up, default_up);
  relative_speed = 1.0f;
  relative_turn = default_relative_turn_deg;
  geosynch_body = nullptr;
  geosynch_speed = 1.0f;
  geosynch_distance = default_geosynch_distance;
}

void ship::set_mode(navigation_mode new_mode, body* followed) {
  mode = new_mode;
  geosynch_body = followed;
}

navigation_mode ship::get_mode() const { return mode; }

void ship::move_lookat_eye(float dx, float dy, float dz) { add_scaled(eye, lookat_speed, dx, dy, dz); }

void ship::move_lookat_origin(float dx, float dy, float dz) { add_scaled(origin, lookat_speed, dx, dy, dz); }

void ship::move_lookat_up(float dx, float dy, float dz) { add_scaled(up, lookat_speed, dx, dy, dz); }

void ship::move_geosynch_Z(float dz) { geosynch_distance += geosynch_speed * dz; }

// The rotation is multiplied on the left of the world-to-eye matrix, so it turns about the camera's axes.
void ship::move_relative_roll(float about_y, float about_x, float about_z) {
  glPushMatrix();
  {
    glLoadIdentity();
    glRotatef(relative_turn * about_z, 0.0f, 0.0f, 1.0f);
    glRotatef(relative_turn * about_x, 1.0f, 0.0f, 0.0f);
    glRotatef(relative_turn * about_y, 0.0f, 1.0f, 0.0f);
    glMultMatrixf(pose);
    glGetFloatv(GL_MODELVIEW_MATRIX, pose);
  }
  glPopMatrix();
}

// The camera looks down its -z axis, so raising every point's eye-space z brings the scene nearer.
void ship::move_relative_Z(float dz) {
  glPushMatrix();
  {
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, relative_speed * dz);
    glMultMatrixf(pose);
    glGetFloatv(GL_MODELVIEW_MATRIX, pose);
  }
  glPopMatrix();
}

float* ship::current_step() {
  switch (mode) {
    case LOOKAT: return &lookat_speed;
    case RELATIVE: return &relative_speed;
    case GEOSYNCH: return &geosynch_speed;
  }
  return nullptr;
}

float ship::get_step() const {
  switch (mode) {
    case LOOKAT: return lookat_speed;
    case RELATIVE: return relative_speed;
    case GEOSYNCH: return geosynch_speed;
  }
  return 0.0f;
}

bool ship::at_largest_step() const { return !std::isfinite(get_step() * speed_up_factor); }

void ship::increase_speed() {
  if (float* step = current_step(); step != nullptr && !at_largest_step()) *step *= speed_up_factor;
}

void ship::decrease_speed() {
  if (float* step = current_step(); step != nullptr) *step *= slow_down_factor;
}

namespace {

// Moves a LOOKAT point by one step along the axis of key `which` in a row written "+x -x +y -y +z -z".
void step_along_axis(ship& s, void (ship::*move)(float, float, float), int which) {
  float step[3] = {0, 0, 0};
  step[which / 2] = which % 2 == 0 ? 1.0f : -1.0f;
  (s.*move)(step[0], step[1], step[2]);
}

// Lower case adds one step along a world axis, upper case takes one away.
const std::vector<key_binding> lookat_keys = {
    {"xXyYzZ", "x y z/X Y Z", "eye +/-",
     [](ship& s, int which) { step_along_axis(s, &ship::move_lookat_eye, which); }},
    {"aAbBcC", "a b c/A B C", "target",
     [](ship& s, int which) { step_along_axis(s, &ship::move_lookat_origin, which); }},
    {"dDeEfF", "d e f/D E F", "up",
     [](ship& s, int which) { step_along_axis(s, &ship::move_lookat_up, which); }},
    {"=-", "=/-", "step x1.5 / x0.666",
     [](ship& s, int which) { which == 0 ? s.increase_speed() : s.decrease_speed(); }},
};

// Each pair turns one way and back about one of the camera's own axes, or steps forward and back.
const std::vector<key_binding> relative_keys = {
    {"qe", "q/e", "turn right/left",
     [](ship& s, int which) { s.move_relative_roll(which == 0 ? 1 : -1, 0, 0); }},
    {"xc", "x/c", "nose down/up",
     [](ship& s, int which) { s.move_relative_roll(0, which == 0 ? 1 : -1, 0); }},
    {"ad", "a/d", "roll right/left",
     [](ship& s, int which) { s.move_relative_roll(0, 0, which == 0 ? 1 : -1); }},
    {"ws", "w/s", "forward/back", [](ship& s, int which) { s.move_relative_Z(which == 0 ? 1 : -1); }},
    {"=-", "=/-", "step x1.5 / x0.666",
     [](ship& s, int which) { which == 0 ? s.increase_speed() : s.decrease_speed(); }},
};

// "w" closes in on the followed body and "s" backs away, as in RELATIVE, though the signs differ.
const std::vector<key_binding> geosynch_keys = {
    {"ws", "w/s", "closer/farther", [](ship& s, int which) { s.move_geosynch_Z(which == 0 ? -1 : 1); }},
    {"=-", "=/-", "step x1.5 / x0.666",
     [](ship& s, int which) { which == 0 ? s.increase_speed() : s.decrease_speed(); }},
};

const std::vector<key_binding> no_keys;

// Runs the row that holds the key, if any does.
void act_on_key(const std::vector<key_binding>& table, ship& s, unsigned char key) {
  for (const key_binding& row : table)
    if (const int which = find_key(row.keys, key); which >= 0) return row.act(s, which);
}

}  // namespace

int find_key(const char* keys, unsigned char key) {
  for (int which = 0; keys[which] != '\0'; ++which)
    if (static_cast<unsigned char>(keys[which]) == key) return which;
  return -1;
}

const std::vector<key_binding>& ship_key_table(navigation_mode mode) {
  switch (mode) {
    case LOOKAT: return lookat_keys;
    case RELATIVE: return relative_keys;
    case GEOSYNCH: return geosynch_keys;
  }
  return no_keys;
}

void ship::handle_keyboard(unsigned char key) {
  switch (mode) {
    case LOOKAT: handle_key_lookat(key); break;
    case RELATIVE: handle_key_relative(key); break;
    case GEOSYNCH: handle_key_geosynch(key); break;
  }
}

void ship::handle_key_lookat(unsigned char key) { act_on_key(lookat_keys, *this, key); }

void ship::handle_key_relative(unsigned char key) { act_on_key(relative_keys, *this, key); }

void ship::handle_key_geosynch(unsigned char key) { act_on_key(geosynch_keys, *this, key); }

void ship::multiply_view() const {
  switch (mode) {
    case LOOKAT:
      gluLookAt(eye[0], eye[1], eye[2], origin[0], origin[1], origin[2], up[0], up[1], up[2]);
      break;
    case RELATIVE: glMultMatrixf(pose); break;
    case GEOSYNCH:
      // Rebuilt from the body's world matrix of this frame, so the camera rides along with its spin and
      // orbit.
      if (geosynch_body != nullptr) {
        float world_to_body[16];
        geosynch_body->get_geosynch_pose(world_to_body);
        invert_pose(world_to_body);
        glTranslatef(0.0f, 0.0f, -geosynch_distance);
        glRotatef(geosynch_yaw_deg, 0.0f, 1.0f, 0.0f);
        glRotatef(geosynch_pitch_deg, 1.0f, 0.0f, 0.0f);
        glMultMatrixf(world_to_body);
      }
      break;
  }
}

void ship::apply_camera() {
  multiply_view();
  glGetFloatv(GL_MODELVIEW_MATRIX, pose);
}

const char* ship::find_lookat_fault() const {
  float sight[3];
  for (int i = 0; i < 3; ++i) sight[i] = origin[i] - eye[i];
  const float across[3] = {sight[1] * up[2] - sight[2] * up[1], sight[2] * up[0] - sight[0] * up[2],
                           sight[0] * up[1] - sight[1] * up[0]};
  if (!all_finite(eye, 3) || !all_finite(origin, 3) || !all_finite(up, 3))
    return "not finite: a point has run past the largest float";
  if (up[0] == 0 && up[1] == 0 && up[2] == 0) return "no inverse: the up vector is zero";
  if (sight[0] == 0 && sight[1] == 0 && sight[2] == 0) return "no inverse: the eye is at the target";
  if (across[0] == 0 && across[1] == 0 && across[2] == 0)
    return "no inverse: the up vector lies along the line of sight";
  return nullptr;
}

camera_place ship::locate_camera() const {
  float view[16];
  glPushMatrix();
  {
    glLoadIdentity();
    multiply_view();
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
  }
  glPopMatrix();
  camera_place place = compute_camera_place(view);
  // A degenerate look-at is named for what makes it so, before the matrix it happens to produce.
  if (const char* lookat_fault = mode == LOOKAT ? find_lookat_fault() : nullptr) place.fault = lookat_fault;
  if (place.fault != nullptr) return place;
  if (mode == LOOKAT) place.target_depth = compute_eye_depth(view, {origin[0], origin[1], origin[2]});
  if (mode == GEOSYNCH && geosynch_body != nullptr) {
    const std::array<float, 3> centre = geosynch_body->centre();
    place.target_depth = compute_eye_depth(view, {centre[0], centre[1], centre[2]});
  }
  return place;
}

// The adjugate of m, the pose's own floats throughout, then one reciprocal of the determinant: a NaN
// determinant is not zero and spreads through the result.
bool ship::invert_pose(float* m) const {
  float c[16];
  const float det = compute_adjugate(m, c);
  if (det == 0.0f) return false;
  const float q = 1.0f / det;
  for (int k = 0; k < 16; ++k) m[k] = c[k] * q;
  return true;
}

// A singular pose (a degenerate look-at) cannot be inverted; the model is then placed by the pose itself.
void ship::draw_camera(render_mode pass) {
  if (pass == SELECT) return;
  float camera_to_world[16];
  std::memcpy(camera_to_world, pose, sizeof pose);
  invert_pose(camera_to_world);
  glPushMatrix();
  {
    glMultMatrixf(camera_to_world);

    glEnable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(model_fill_offset_factor, model_fill_offset_units);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor3f(model_grey, model_grey, model_grey);
    draw_x_wing();

    glDisable(GL_LIGHTING);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_x_wing();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  glPopMatrix();
}

// Built along +z from the tail at 0 to the nose at 3, then turned about y so that the nose points down the
// camera's -z axis, the way the camera looks.
void ship::draw_x_wing() {
  glPushMatrix();
  {
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    glPushMatrix();
    {
      glRotatef(hull_roll_deg, 0.0f, 0.0f, 1.0f);
      draw_box(hull);
    }
    glPopMatrix();
    for (float roll : wing_roll_deg) {
      glPushMatrix();
      {
        glRotatef(roll, 0.0f, 0.0f, 1.0f);
        for (const box& piece : wing_group) draw_box(piece);
      }
      glPopMatrix();
    }
  }
  glPopMatrix();
}
