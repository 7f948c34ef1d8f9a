// The body's data, motion and world matrices. The random attributes come from the process's one drand48
// stream, which nothing seeds, so every run builds the same scene: a constructor always takes seven draws and
// set_parent one, and the scene set-up interleaves them in catalogue order.
#include "solar_system.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float pluto_orbit_tilt_deg = 10.0f;

// Adds increment to a float angle and keeps it below the rebase threshold in magnitude.
void advance_angle(float& angle_deg, float increment_deg) {
  angle_deg += increment_deg;
  if (angle_deg >= angle_rebase_deg) {
    angle_deg -= angle_rebase_deg;
  } else if (angle_deg <= -angle_rebase_deg) {
    angle_deg += angle_rebase_deg;
  }
}

}  // namespace

body::body(body_name name, float radius, float spin_speed) : name(name), radius(radius), spin_speed(spin_speed) {
  // Each draw is a double; the arithmetic on it is double and the result stored as float.
  float x = drand48() - 0.5;
  float y = 1.0f;
  float z = drand48() - 0.5;
  // Sum of squares in float, its root in double, the divisions in float again.
  const float length = std::sqrt(static_cast<double>(x * x + y * y + z * z));
  spin_axis[0] = x / length;
  spin_axis[1] = y / length;
  spin_axis[2] = z / length;
  spin_angle = drand48() * 360.0;
  if (name == STARFIELD) {
    spin_axis[0] = 0.0f;
    spin_axis[1] = 1.0f;
    spin_axis[2] = 0.0f;
  }
  has_texture = false;
  for (float& channel : color) channel = drand48();
  if (name == SUN) {
    color[0] = 1.0f;
    color[1] = 1.0f;
    color[2] = 0.0f;
  } else if (name == STARFIELD) {
    color[0] = color[1] = color[2] = 0.0f;
  }
  orbit_radius = 0.0f;
  orbit_angle = drand48() * 360.0;
  orbit_speed = 0.0f;
}

void body::set_parent(body* new_parent, float new_orbit_radius, float new_orbit_speed) {
  parent = new_parent;
  orbit_radius = new_orbit_radius;
  orbit_angle = drand48() * 360.0;
  orbit_speed = new_orbit_speed;
  parent->children.push_back(this);
}

void body::set_texture(ship_name /*window*/, const char* /*image_path*/) {}

void body::update(float step) {
  advance_angle(spin_angle, spin_speed * step);
  advance_angle(orbit_angle, orbit_speed * step);
  for (body* child : children) child->update(step);
}

void body::update_world_pose() {
  glPushMatrix();
  {
    if (name == PLUTO) glRotatef(pluto_orbit_tilt_deg, 1.0f, 0.0f, 0.0f);
    glRotatef(orbit_angle, 0.0f, 1.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, orbit_pose);
    glTranslatef(orbit_radius, 0.0f, 0.0f);
    // Children see this body's centre and orbit frame, but not its spin.
    for (body* child : children) child->update_world_pose();
    glRotatef(spin_angle, spin_axis[0], spin_axis[1], spin_axis[2]);
    glGetFloatv(GL_MODELVIEW_MATRIX, world_pose);
  }
  glPopMatrix();
}

void body::get_geosynch_pose(float* out) const { std::memcpy(out, world_pose, sizeof world_pose); }
