// Ship navigation: defaults, mode switches, the movement operations, step sizes and the per-mode key tables.
// Relative moves compose on the GL model-view stack and read the result back into pose; nothing here draws.
#include "ship.h"

#include <GL/gl.h>

namespace {

constexpr float speed_up_factor = 1.5f;
constexpr float slow_down_factor = 0.666f;  // deliberately not 2/3: "=" then "-" leaves 0.999

constexpr float default_eye[3] = {0.0f, 50.0f, 100.0f};
constexpr float default_origin[3] = {0.0f, 0.0f, 0.0f};
constexpr float default_up[3] = {0.0f, 1.0f, 0.0f};
constexpr float default_relative_turn_deg = 2.0f;
constexpr float default_geosynch_distance = 5.0f;

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

void ship::increase_speed() {
  switch (mode) {
    case LOOKAT: lookat_speed *= speed_up_factor; break;
    case RELATIVE: relative_speed *= speed_up_factor; break;
    case GEOSYNCH: geosynch_speed *= speed_up_factor; break;
  }
}

void ship::decrease_speed() {
  switch (mode) {
    case LOOKAT: lookat_speed *= slow_down_factor; break;
    case RELATIVE: relative_speed *= slow_down_factor; break;
    case GEOSYNCH: geosynch_speed *= slow_down_factor; break;
  }
}

void ship::handle_keyboard(unsigned char key) {
  switch (mode) {
    case LOOKAT: handle_key_lookat(key); break;
    case RELATIVE: handle_key_relative(key); break;
    case GEOSYNCH: handle_key_geosynch(key); break;
  }
}

// Lower case adds one step along a world axis, upper case takes one away.
void ship::handle_key_lookat(unsigned char key) {
  switch (key) {
    case 'x': move_lookat_eye(1, 0, 0); break;
    case 'X': move_lookat_eye(-1, 0, 0); break;
    case 'y': move_lookat_eye(0, 1, 0); break;
    case 'Y': move_lookat_eye(0, -1, 0); break;
    case 'z': move_lookat_eye(0, 0, 1); break;
    case 'Z': move_lookat_eye(0, 0, -1); break;
    case 'a': move_lookat_origin(1, 0, 0); break;
    case 'A': move_lookat_origin(-1, 0, 0); break;
    case 'b': move_lookat_origin(0, 1, 0); break;
    case 'B': move_lookat_origin(0, -1, 0); break;
    case 'c': move_lookat_origin(0, 0, 1); break;
    case 'C': move_lookat_origin(0, 0, -1); break;
    case 'd': move_lookat_up(1, 0, 0); break;
    case 'D': move_lookat_up(-1, 0, 0); break;
    case 'e': move_lookat_up(0, 1, 0); break;
    case 'E': move_lookat_up(0, -1, 0); break;
    case 'f': move_lookat_up(0, 0, 1); break;
    case 'F': move_lookat_up(0, 0, -1); break;
    case '=': increase_speed(); break;
    case '-': decrease_speed(); break;
    default: break;
  }
}

void ship::handle_key_relative(unsigned char key) {
  switch (key) {
    case 'q': move_relative_roll(1, 0, 0); break;
    case 'e': move_relative_roll(-1, 0, 0); break;
    case 'x': move_relative_roll(0, 1, 0); break;
    case 'c': move_relative_roll(0, -1, 0); break;
    case 'a': move_relative_roll(0, 0, 1); break;
    case 'd': move_relative_roll(0, 0, -1); break;
    case 'w': move_relative_Z(1); break;
    case 's': move_relative_Z(-1); break;
    case '=': increase_speed(); break;
    case '-': decrease_speed(); break;
    default: break;
  }
}

// "w" closes in on the followed body and "s" backs away, as in RELATIVE, though the signs differ.
void ship::handle_key_geosynch(unsigned char key) {
  switch (key) {
    case 'w': move_geosynch_Z(-1); break;
    case 's': move_geosynch_Z(1); break;
    case '=': increase_speed(); break;
    case '-': decrease_speed(); break;
    default: break;
  }
}
