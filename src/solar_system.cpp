// The body's data, motion and world matrices. The random attributes come from the process's one drand48
// stream, which nothing seeds, so every run builds the same scene: a constructor always takes seven draws and
// set_parent one, and the scene set-up interleaves them in catalogue order.
#include "solar_system.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float pluto_orbit_tilt_deg = 10.0f;

constexpr int ring_vertex_count = 200;  // a closed strip: the last vertex repeats the first
constexpr int saturn_ring_count = 20;
constexpr int saturn_colour_count = 7;  // ring colours repeat with this period
constexpr float saturn_ring_width_px = 2.0f;
constexpr float default_line_width_px = 1.0f;
constexpr int sphere_slices = 5;
constexpr int sphere_stacks = 5;

// Saturn's ring colour offsets: seven draws of the shared stream, taken on the first drawing of Saturn in
// either window or pass, then the same in every frame of both windows.
const std::array<float, saturn_colour_count>& saturn_colour_offsets() {
  static const std::array<float, saturn_colour_count> offsets = [] {
    std::array<float, saturn_colour_count> drawn;
    for (float& each : drawn) each = drand48();
    return drawn;
  }();
  return offsets;
}

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

body::body(body_name name, float radius, float spin_speed)
    : name(name), radius(radius), spin_speed(spin_speed) {
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

void body::render(ship_name window, render_mode mode) {
  if (mode == RENDER) {
    glPushMatrix();
    {
      glMultMatrixf(orbit_pose);
      glColor3f(1.0f, 1.0f, 1.0f);
      draw_ring(orbit_radius, true);
    }
    glPopMatrix();
  } else {
    glPushName(name);
  }
  glPushMatrix();
  {
    glMultMatrixf(world_pose);
    glScalef(radius, radius, radius);
    if (name == SATURN) draw_saturn_rings();
    setup_body_render(window);
    draw_sphere();
    if (mode == SELECT) glPopName();
  }
  glPopMatrix();
  // Children are drawn after this body's matrix and name are popped: never more than one of each pushed.
  for (body* child : children) child->render(window, mode);
}

// Drawn in Saturn's scaled world frame, so the rings turn with its spin. Line smoothing stays on afterwards.
void body::draw_saturn_rings() {
  glLineWidth(saturn_ring_width_px);
  glEnable(GL_LINE_SMOOTH);
  const std::array<float, saturn_colour_count>& offsets = saturn_colour_offsets();
  for (int i = 0; i < saturn_ring_count; ++i) {
    const float c = 0.1f * offsets[i % saturn_colour_count];
    glColor3f(0.5f + c, 0.4f + c, 0.2f + c);
    draw_ring(radius / 2 + 0.1f + 0.05f * i, false);
  }
  glLineWidth(default_line_width_px);
}

void body::draw_ring(float ring_radius, bool /*is_orbit*/) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < ring_vertex_count; ++i) {
    const double a = i * 2 * M_PI / (ring_vertex_count - 1);
    glVertex3f(ring_radius * std::cos(a), 0.0f, ring_radius * std::sin(a));
  }
  glEnd();
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
}

void body::setup_body_render(ship_name window) {
  static const GLfloat no_emission[] = {0.0f, 0.0f, 0.0f, 1.0f};
  glColor3f(color[0], color[1], color[2]);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, no_emission);
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  if (has_texture) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture[window]);
  }
  // The star-field is seen from inside: unlit, in its flat colour, both faces drawn.
  if (name == STARFIELD) {
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
  }
}

// The rotation turns the quadric's polar axis (its z) onto the body's y axis; render pops it.
void body::draw_sphere() {
  GLUquadric* quadric = gluNewQuadric();
  if (quadric == nullptr) return;  // out of memory: skip this sphere rather than crash
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  gluSphere(quadric, 1.0, sphere_slices, sphere_stacks);
  gluDeleteQuadric(quadric);
}
