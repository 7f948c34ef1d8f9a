// SPDX-License-Identifier: MIT
// The body's data, motion and world matrices. The random attributes come from the scene's one random stream
// (scene_random.h), which nothing seeds, so every run builds the same scene: a constructor always takes seven
// draws and set_parent one, and the scene set-up interleaves them in catalogue order.
#include "solar_system.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "opengl.h"
#include "scene_random.h"

namespace {

constexpr float pluto_orbit_tilt_deg = 10.0f;

constexpr int saturn_ring_count = 20;
// Ring i lies at radius / 2 + gap + i * spacing in Saturn's frame, which is scaled by its radius.
constexpr float saturn_ring_gap = 0.1f;
constexpr float saturn_ring_spacing = 0.05f;
// Every ring is the base colour brightened by one offset in [0, step) on all three channels alike.
constexpr float saturn_ring_base_colour[3] = {0.5f, 0.4f, 0.2f};
constexpr float saturn_colour_step = 0.1f;
constexpr int saturn_colour_count = 7;  // ring colours repeat with this period
constexpr float saturn_ring_width_px = 2.0f;
constexpr float default_line_width_px = 1.0f;
constexpr double sphere_radius = 1.0;  // bodies are scaled to their radius before the sphere is drawn

// Saturn's ring colour offsets: seven draws of the shared stream, taken on the first drawing of Saturn in
// either window or pass, then the same in every frame of both windows.
const std::array<float, saturn_colour_count>& saturn_colour_offsets() {
  static const std::array<float, saturn_colour_count> offsets = [] {
    std::array<float, saturn_colour_count> drawn;
    for (float& each : drawn) each = scene_random();
    return drawn;
  }();
  return offsets;
}

// Adds increment to a float angle and keeps it below the threshold in magnitude. fmod is exact, and for an
// angle that has just reached the threshold it takes away exactly one threshold.
void advance_angle(float& angle_deg, float increment_deg, float threshold_deg) {
  angle_deg += increment_deg;
  if (std::fabs(angle_deg) >= threshold_deg) angle_deg = std::fmod(angle_deg, threshold_deg);
}

// Client-side arrays are switched on only around each draw: freeglut draws the ship's boxes from arrays of
// its own, and an array left enabled here would make it read stale pointers.
void enable_arrays(const float* vertices, const float* normals, const float* tex_coords) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices);
  if (normals != nullptr) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, normals);
  }
  if (tex_coords != nullptr) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, tex_coords);
  }
}

void disable_arrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

}  // namespace

ring_vertices compute_ring_vertices(float ring_radius) {
  ring_vertices strip;
  for (int i = 0; i < ring_vertex_count; ++i) {
    // The angle and the products in double, each coordinate rounded to float once.
    const double a = i * 2 * pi / (ring_vertex_count - 1);
    strip[3 * i] = static_cast<float>(ring_radius * std::cos(a));
    strip[3 * i + 1] = 0.0f;
    strip[3 * i + 2] = static_cast<float>(ring_radius * std::sin(a));
  }
  return strip;
}

// GLU's arithmetic, step for step: each angle is rounded to float, its sine and cosine are taken in double
// and rounded to float, and everything after that is float. The vertex caches are pinched to exactly 0 at
// the poles while the normal caches keep sin(float(pi)), a few 1e-8 off zero.
sphere_mesh compute_sphere_mesh() {
  float slice_sin[sphere_slices + 1], slice_cos[sphere_slices + 1];
  for (int i = 0; i < sphere_slices; ++i) {
    const float angle = 2 * pi * i / sphere_slices;
    slice_sin[i] = std::sin(static_cast<double>(angle));
    slice_cos[i] = std::cos(static_cast<double>(angle));
  }
  slice_sin[sphere_slices] = slice_sin[0];
  slice_cos[sphere_slices] = slice_cos[0];

  float normal_sin[sphere_stacks + 1], normal_cos[sphere_stacks + 1];
  float ring_radius[sphere_stacks + 1], height[sphere_stacks + 1];
  for (int j = 0; j <= sphere_stacks; ++j) {
    const float angle = pi * j / sphere_stacks;
    normal_sin[j] = std::sin(static_cast<double>(angle));
    normal_cos[j] = std::cos(static_cast<double>(angle));
    ring_radius[j] = sphere_radius * std::sin(static_cast<double>(angle));
    height[j] = sphere_radius * std::cos(static_cast<double>(angle));
  }
  ring_radius[0] = 0;
  ring_radius[sphere_stacks] = 0;

  sphere_mesh mesh;
  int v = 0;
  auto emit = [&](int i, int j) {
    mesh.normals[3 * v] = slice_sin[i] * normal_sin[j];
    mesh.normals[3 * v + 1] = slice_cos[i] * normal_sin[j];
    mesh.normals[3 * v + 2] = normal_cos[j];
    mesh.tex_coords[2 * v] = 1 - static_cast<float>(i) / sphere_slices;
    mesh.tex_coords[2 * v + 1] = 1 - static_cast<float>(j) / sphere_stacks;
    mesh.vertices[3 * v] = ring_radius[j] * slice_sin[i];
    mesh.vertices[3 * v + 1] = ring_radius[j] * slice_cos[i];
    mesh.vertices[3 * v + 2] = height[j];
    ++v;
  };
  // Each strip pairs the lower edge of a stack with its upper edge, slice by slice, the lower edge first.
  for (int j = 0; j < sphere_stacks; ++j) {
    for (int i = 0; i <= sphere_slices; ++i) {
      emit(i, j + 1);
      emit(i, j);
    }
  }
  return mesh;
}

body::body(body_name name, float radius, float spin_speed)
    : name(name), radius(radius), spin_speed(spin_speed) {
  // Each draw is a double; the arithmetic on it is double and the result stored as float.
  float x = scene_random() - 0.5;
  float y = 1.0f;
  float z = scene_random() - 0.5;
  // Sum of squares in float, its root in double, the divisions in float again.
  const float length = std::sqrt(static_cast<double>(x * x + y * y + z * z));
  spin_axis[0] = x / length;
  spin_axis[1] = y / length;
  spin_axis[2] = z / length;
  spin_angle = scene_random() * 360.0;
  if (name == STARFIELD) {
    spin_axis[0] = 0.0f;
    spin_axis[1] = 1.0f;
    spin_axis[2] = 0.0f;
  }
  has_texture = false;
  for (float& channel : color) channel = scene_random();
  if (name == SUN) {
    color[0] = 1.0f;
    color[1] = 1.0f;
    color[2] = 0.0f;
  } else if (name == STARFIELD) {
    color[0] = color[1] = color[2] = 0.0f;
  }
  orbit_radius = 0.0f;
  orbit_angle = scene_random() * 360.0;
  orbit_speed = 0.0f;
}

void body::set_parent(body* new_parent, float new_orbit_radius, float new_orbit_speed) {
  parent = new_parent;
  orbit_radius = new_orbit_radius;
  orbit_angle = scene_random() * 360.0;
  orbit_speed = new_orbit_speed;
  parent->children.push_back(this);
}

void body::set_texture(ship_name /*window*/, const char* /*image_path*/) {}

float compute_angle_rebase_deg(float step_s) {
  constexpr double full_step_s = compute_timer_step_s(default_timer_period_ms);
  float threshold = angle_rebase_deg;
  while (threshold > 360.0f && std::fabs(double(step_s)) * angle_rebase_deg < full_step_s * threshold)
    threshold *= 0.5f;
  return threshold;
}

void body::update(float step) {
  const float threshold = compute_angle_rebase_deg(step);
  advance_angle(spin_angle, spin_speed * step, threshold);
  advance_angle(orbit_angle, orbit_speed * step, threshold);
  for (body* child : children) child->update(step);
}

void apply_transform_call(const transform_call& call) {
  if (call.rotate)
    glRotatef(call.angle, call.x, call.y, call.z);
  else
    glTranslatef(call.x, call.y, call.z);
}

std::vector<transform_call> body::orbit_calls() const {
  std::vector<transform_call> calls;
  if (name == PLUTO) calls.push_back({true, pluto_orbit_tilt_deg, 1.0f, 0.0f, 0.0f});
  calls.push_back({true, orbit_angle, 0.0f, 1.0f, 0.0f});
  calls.push_back({false, 0.0f, orbit_radius, 0.0f, 0.0f});
  return calls;
}

transform_call body::spin_call() const {
  return {true, spin_angle, spin_axis[0], spin_axis[1], spin_axis[2]};
}

void body::update_world_pose() {
  glPushMatrix();
  {
    // The orbit ring's frame is read before the translation out to the orbit's radius.
    for (const transform_call& call : orbit_calls()) {
      if (!call.rotate) glGetFloatv(GL_MODELVIEW_MATRIX, orbit_pose);
      apply_transform_call(call);
    }
    // Children see this body's centre and orbit frame, but not its spin.
    for (body* child : children) child->update_world_pose();
    apply_transform_call(spin_call());
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
    const float c = saturn_colour_step * offsets[i % saturn_colour_count];
    glColor3f(saturn_ring_base_colour[0] + c, saturn_ring_base_colour[1] + c, saturn_ring_base_colour[2] + c);
    draw_ring(radius / 2 + saturn_ring_gap + saturn_ring_spacing * i, false);
  }
  glLineWidth(default_line_width_px);
}

void body::draw_ring(float ring_radius, bool /*is_orbit*/) {
  const ring_vertices strip = compute_ring_vertices(ring_radius);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  enable_arrays(strip.data(), nullptr, nullptr);
  glDrawArrays(GL_LINE_STRIP, 0, ring_vertex_count);
  disable_arrays();
  // Hand back the lit, textured, culled state a body's sphere is drawn in, whatever the caller had before.
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

int compute_sphere_mesh_crossings(const std::array<double, 3>& from, const std::array<double, 3>& to) {
  static const sphere_mesh mesh = compute_sphere_mesh();
  const auto corner = [&](int v) {
    return std::array<double, 3>{mesh.vertices[3 * v], mesh.vertices[3 * v + 1], mesh.vertices[3 * v + 2]};
  };
  const std::array<double, 3> d = {to[0] - from[0], to[1] - from[1], to[2] - from[2]};
  // Moller and Trumbore's test of the segment against one triangle; the poles' triangles have no area.
  const auto crosses = [&](const std::array<double, 3>& a, const std::array<double, 3>& b,
                           const std::array<double, 3>& c) {
    const std::array<double, 3> e1 = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const std::array<double, 3> e2 = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const std::array<double, 3> p = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                                     d[0] * e2[1] - d[1] * e2[0]};
    const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (std::fabs(det) < 1e-12) return false;
    const std::array<double, 3> s = {from[0] - a[0], from[1] - a[1], from[2] - a[2]};
    const double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) / det;
    if (u < 0 || u > 1) return false;
    const std::array<double, 3> q = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                                     s[0] * e1[1] - s[1] * e1[0]};
    const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
    if (v < 0 || u + v > 1) return false;
    const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
    return t >= 0 && t <= 1;
  };
  int crossings = 0;
  for (int stack = 0; stack < sphere_stacks; ++stack)
    for (int slice = 0; slice < sphere_slices; ++slice) {
      // The strip's quad between two slices, as two triangles.
      const int v = stack * sphere_strip_vertex_count + 2 * slice;
      crossings += crosses(corner(v), corner(v + 1), corner(v + 3));
      crossings += crosses(corner(v), corner(v + 3), corner(v + 2));
    }
  return crossings;
}

// Into the drawn sphere's own coordinates: undo the world pose (a rotation and a translation), the scale to
// the radius and draw_sphere's turn of the polar axis.
std::array<double, 3> body::to_mesh(const std::array<double, 3>& world) const {
  double local[3];
  for (int row = 0; row < 3; ++row) {
    local[row] = 0;
    for (int k = 0; k < 3; ++k) local[row] += world_pose[4 * row + k] * (world[k] - world_pose[12 + k]);
    local[row] /= radius;
  }
  return {local[0], local[2], -local[1]};
}

bool body::holds(const std::array<double, 3>& point) const {
  return compute_sphere_mesh_crossings(to_mesh(point), {0, 0, 0}) == 0;
}

bool body::hides(const std::array<double, 3>& eye, const std::array<float, 3>& point) const {
  const std::array<double, 3> point_world = {point[0], point[1], point[2]};
  const std::array<double, 3> from = to_mesh(eye), to = to_mesh(point_world);
  // The drawn sphere lies within the true one: a segment that passes beside that misses it, and most do.
  double along = 0, length_squared = 0;
  for (int i = 0; i < 3; ++i) {
    along -= from[i] * (to[i] - from[i]);
    length_squared += (to[i] - from[i]) * (to[i] - from[i]);
  }
  const double t = length_squared > 0 ? std::clamp(along / length_squared, 0.0, 1.0) : 0.0;
  double nearest_squared = 0;
  for (int i = 0; i < 3; ++i) nearest_squared += std::pow(from[i] + t * (to[i] - from[i]), 2);
  if (nearest_squared > 1) return false;
  return !holds(eye) && !holds(point_world) && compute_sphere_mesh_crossings(from, to) > 0;
}

std::vector<std::array<float, 4>> body::ring_bounds() const {
  if (name != SATURN) return {};
  constexpr int balls = 24;
  // In Saturn's scaled frame the rings run from the first ring's radius to the last's.
  const double inner = radius / 2 + saturn_ring_gap,
               outer = inner + saturn_ring_spacing * (saturn_ring_count - 1);
  const double middle = (inner + outer) / 2 * radius;
  const double reach = ((outer - inner) / 2 + middle / radius * std::sin(pi / balls)) * radius;
  std::vector<std::array<float, 4>> bounds;
  for (int i = 0; i < balls; ++i) {
    const double a = 2 * pi * i / balls, x = middle * std::cos(a), z = middle * std::sin(a);
    std::array<float, 4> ball;
    for (int k = 0; k < 3; ++k)
      ball[k] = float(world_pose[k] * x + world_pose[8 + k] * z + world_pose[12 + k]);
    ball[3] = float(reach);
    bounds.push_back(ball);
  }
  return bounds;
}

// The rotation turns the sphere's polar axis (its z) onto the body's y axis; render pops it. The tessellation
// is the program's own rather than a GLU quadric's, because gluSphere sends its vertices through glBegin.
void body::draw_sphere() {
  const sphere_mesh mesh = compute_sphere_mesh();
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  enable_arrays(mesh.vertices.data(), mesh.normals.data(), mesh.tex_coords.data());
  for (int stack = 0; stack < sphere_stacks; ++stack)
    glDrawArrays(GL_QUAD_STRIP, stack * sphere_strip_vertex_count, sphere_strip_vertex_count);
  disable_arrays();
}
