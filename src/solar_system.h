// SPDX-License-Identifier: MIT
// One node of the solar-system scene graph: the star-field, the sun, a planet or the moon.
// A body owns its angles and world matrices and lists its children without owning them; the demo module
// creates and deletes every body. World matrices are composed on the OpenGL model-view stack, so
// update_world_pose and render need a current GL context.
#pragma once

#include <array>
#include <vector>

#include "frame_constants.h"
#include "scene_names.h"

// One call the scene graph makes on the model-view stack to place a body: glRotatef(angle, x, y, z), or
// glTranslatef(x, y, z) when rotate is false.
struct transform_call {
  bool rotate;
  float angle, x, y, z;
};
// Makes the call on the current matrix.
void apply_transform_call(const transform_call& call);

class body {
 public:
  body(body_name name, float radius, float spin_speed);
  ~body() = default;

  // Attaches this body to the end of parent's children; called once, never on the root.
  void set_parent(body* parent, float orbit_radius, float orbit_speed);
  // Accepted for every window's context; loads nothing, so bodies stay untextured.
  void set_texture(ship_name window, const char* image_path);

  // Advances spin and orbit of this body and its subtree by step seconds.
  void update(float step);
  // Recomputes orbit_pose and world_pose of the subtree, taking the current model-view matrix as the
  // parent's frame; leaves the model-view stack as it found it.
  void update_world_pose();
  // The calls update_world_pose makes for this body after its push: its orbit's (Pluto's tilt, the orbit
  // angle about y, the orbit radius along x), after which its children are walked; then its spin.
  std::vector<transform_call> orbit_calls() const;
  transform_call spin_call() const;
  // Copies world_pose, spin included, into out[0..15].
  void get_geosynch_pose(float* out) const;

  // Draws this body and its subtree under the current model-view (the viewing camera). In SELECT each body
  // is drawn under its body_name as selection name and no orbit ring is drawn.
  void render(ship_name window, render_mode mode);
  // Draws a circle of the given radius about the origin in the XZ plane, with the caller's colour and width.
  void draw_ring(float ring_radius, bool is_orbit);
  // Sets the colour, emission and lighting state that this body's sphere is drawn with.
  void setup_body_render(ship_name window);
  // Draws the unit sphere, polar axis along the local Y axis.
  void draw_sphere();

  // Whether this body's sphere, as drawn (the coarse polyhedron, not the true sphere), lies between the eye
  // and the point, both in world coordinates. Seen from inside, the sphere's faces are culled and it hides
  // nothing; nor does it hide a point inside itself. Reads world_pose.
  bool hides(const std::array<double, 3>& eye, const std::array<float, 3>& point) const;
  // The body's centre in world coordinates, where its world_pose takes its origin.
  std::array<float, 3> centre() const { return {world_pose[12], world_pose[13], world_pose[14]}; }
  // Whether a world point lies inside this body's sphere as drawn. Reads world_pose.
  bool holds(const std::array<double, 3>& point) const;
  // Balls of the world that together hold what this body draws around its sphere (Saturn's rings), for a
  // name that must keep clear of them; none for the other bodies. Reads world_pose.
  std::vector<std::array<float, 4>> ring_bounds() const;  // centre x, y, z and radius

  body* parent = nullptr;                 // the body this one orbits; null for the root; not owned
  std::vector<body*> children;            // attached bodies in order of attachment; not owned
  body_name name;                         // also the index in the scene and the selection name
  float radius;                           // scene units
  float spin_speed;                       // degrees per second
  float color[3];                         // red, green, blue in [0, 1]
  float spin_axis[3];                     // unit vector in the orbit frame
  float spin_angle;                       // degrees, accumulated (see update)
  float orbit_radius;                     // scene units from the parent's centre
  float orbit_angle;                      // degrees, accumulated (see update)
  float orbit_speed;                      // degrees per second
  bool has_texture;                       // never set: no image is ever loaded
  unsigned int texture[ship_count] = {};  // one texture name per window context; never assigned
  // Both matrices are column-major and meaningful once update_world_pose has run on the root; until then
  // they hold the identity rather than garbage.
  float world_pose[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // orbit, translation and spin
  float orbit_pose[16] = {1, 0, 0, 0, 0, 1, 0, 0,
                          0, 0, 1, 0, 0, 0, 0, 1};  // the ring's frame: no translation

 private:
  void draw_saturn_rings();
  std::array<double, 3> to_mesh(const std::array<double, 3>& world) const;
};

// The geometry of the drawing, computed anew every time a ring or a sphere is drawn and sent to OpenGL from
// these client-side arrays rather than vertex by vertex between glBegin and glEnd: in selection mode this
// driver keeps a copy of every immediate-mode vertex for good, so every pick would leak memory.
constexpr int ring_vertex_count = 200;  // a closed strip: the last vertex repeats the first
using ring_vertices = std::array<float, 3 * ring_vertex_count>;
// A circle of the given radius about the origin in the XZ plane, starting at (radius, 0, 0).
ring_vertices compute_ring_vertices(float ring_radius);

constexpr int sphere_slices = 5;
constexpr int sphere_stacks = 5;
constexpr int sphere_strip_vertex_count = 2 * (sphere_slices + 1);
constexpr int sphere_vertex_count = sphere_stacks * sphere_strip_vertex_count;
// The unit sphere exactly as gluSphere(quadric, 1, 5, 5) emits it with smooth normals and texture
// coordinates: one quad strip per stack from the +z pole down, the same values in the same order, so that
// every pixel is as GLU would draw it.
struct sphere_mesh {
  std::array<float, 3 * sphere_vertex_count> vertices;
  std::array<float, 3 * sphere_vertex_count> normals;
  std::array<float, 2 * sphere_vertex_count> tex_coords;
};
sphere_mesh compute_sphere_mesh();
// How many faces of the drawn unit sphere the segment from one point to another crosses, in the mesh's own
// coordinates: 0 when both lie inside it or the segment passes beside it, 2 when it passes through.
int compute_sphere_mesh_crossings(const std::array<double, 3>& from, const std::array<double, 3>& to);

// Angles are accumulated in float and would lose their increments after days of running; once an angle
// reaches this many degrees (256 whole turns) at the tick's own step, it is brought back by a whole number of
// these, which float represents exactly, so the drawn pose is unchanged.
constexpr float angle_rebase_deg = 256 * 360.0f;
// The threshold for angles advanced by steps of step_s seconds. A smaller step (a slower scene) brings small
// increments, which float would round as coarsely as at full speed only if the angles stayed as much
// smaller: the threshold shrinks by the same power of two, down to one turn. At the tick's step or longer
// it is angle_rebase_deg.
float compute_angle_rebase_deg(float step_s);
