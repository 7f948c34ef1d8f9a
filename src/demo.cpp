// SPDX-License-Identifier: MIT
// The scene's owner: builds the bodies from the catalogue and the two ships, sets up each window's GL
// context, advances the scene on the timer, draws a window's frame, runs the keyboard commands and picking,
// and deletes everything on exit. It never reads files: image and model paths are carried but not opened.
#include "demo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "opengl.h"

ship* ships[ship_count] = {};
body* planet[body_count] = {};
bool demo_initialized = false;
bool frozen = false;
int active_ship = MOTHER_SHIP;
bool is_picking = false;
int pick_x = 0;
int pick_y = 0;
unsigned int glut_mother_ship_window = 0;
unsigned int glut_scout_ship_window = 0;
bool status_overlay_on = false;
bool names_overlay_on = false;

namespace {

struct catalogue_entry {
  body_name name;
  const char* label;   // what the names overlay shows
  float diameter;      // scene units
  float spin_speed;    // degrees per second
  body_name parent;    // the root names itself
  float orbit_radius;  // scene units from the parent's centre
  float orbit_speed;   // degrees per second
  const char* image_path;
};

// clang-format off
constexpr catalogue_entry body_catalogue[body_count] = {
  // name     label         diameter spin  parent     orbit_r orbit_v image_path
  {STARFIELD, "Star-field", 1000,    0,    STARFIELD,  0,      0,    "source_textures/starfield.jpg"},
  {SUN,       "Sun",        8,       60,   STARFIELD,  0,      0,    "source_textures/sun.jpg"},
  {MERCURY,   "Mercury",    4,       120,  SUN,        8,      90,   "source_textures/mercury.jpg"},
  {VENUS,     "Venus",      4,       60,   SUN,        12,     80,   "source_textures/venus.jpg"},
  {EARTH,     "Earth",      4,       40,   SUN,        20,     70,   "source_textures/earth.jpg"},
  {MOON,      "Moon",       3,       0,    EARTH,      4,      120,  "source_textures/moon.jpg"},
  {MARS,      "Mars",       4,       50,   SUN,        28,     60,   "source_textures/mars.jpg"},
  {JUPITER,   "Jupiter",    6,       30,   SUN,        32,     50,   "source_textures/jupiter.jpg"},
  {SATURN,    "Saturn",     6,       30,   SUN,        38,     40,   "source_textures/saturn.jpg"},
  {URANUS,    "Uranus",     6,       20,   SUN,        44,     30,   "source_textures/uranus.jpg"},
  {NEPTUNE,   "Neptune",    6,       20,   SUN,        50,     20,   "source_textures/neptune.jpg"},
  {PLUTO,     "Pluto",      4,       40,   SUN,        56,     10,   "source_textures/pluto.jpg"},
};

// Light 0 sits at the eye, light 1 shines from below, left and in front of it: both positions are given
// once, under an identity model-view, so OpenGL keeps them in eye coordinates whatever the camera does.
constexpr GLfloat light0_position[] = {0, 0, 0, 1};
constexpr GLfloat light0_diffuse[]  = {1, 1, 1, 1};
constexpr GLfloat light0_specular[] = {0.4f, 0.4f, 0.4f, 1};
constexpr GLfloat light1_position[] = {-1, -1, -1, 0};
constexpr GLfloat light1_ambient[]  = {0.05f, 0.05f, 0.05f, 1};
constexpr GLfloat light1_diffuse[]  = {1, 1, 1, 1};
constexpr GLfloat light1_specular[] = {0.4f, 0.4f, 0.4f, 1};
// clang-format on

constexpr const char* mother_ship_model_path = "data/x_wing.obj";
constexpr const char* scout_ship_model_path = "data/scout.obj";
constexpr float mother_ship_eye_offset_z = 20.0f;

constexpr double field_of_view_deg = 70.0;
constexpr double near_plane = 0.1f;  // the float 0.1 widened, as the projection has always used
constexpr double far_plane = 2000.0;
constexpr double pick_region_px = 10.0;  // width and height of the region picked around the pointer
constexpr int selection_buffer_size = 1024;

// Every entry is constructed and, unless it is the root, attached at once: both take random draws, and this
// interleaving fixes which values each body receives.
void create_bodies() {
  for (const catalogue_entry& entry : body_catalogue) {
    body* created = new body(entry.name, entry.diameter / 2, entry.spin_speed);
    planet[entry.name] = created;
    if (entry.parent != entry.name)
      created->set_parent(planet[entry.parent], entry.orbit_radius, entry.orbit_speed);
  }
}

void create_ships() {
  ships[MOTHER_SHIP] = new ship(mother_ship_model_path);
  ships[SCOUT_SHIP] = new ship(scout_ship_model_path);
}

void apply_context_state() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glLightfv(GL_LIGHT0, GL_POSITION, light0_position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, light0_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, light0_specular);
  glLightfv(GL_LIGHT1, GL_POSITION, light1_position);
  glLightfv(GL_LIGHT1, GL_AMBIENT, light1_ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, light1_diffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, light1_specular);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_COLOR_MATERIAL);
}

// Width over height in single precision. A window can be shrunk to height 0; it is then treated as one
// pixel high so that no infinity or NaN reaches the projection.
float compute_aspect(int width, int height) {
  const int safe_height = height > 0 ? height : 1;
  return static_cast<float>(width) / static_cast<float>(safe_height);
}

void apply_perspective(float aspect) { gluPerspective(field_of_view_deg, aspect, near_plane, far_plane); }

// GLUT counts the pointer's y from the top, OpenGL from the bottom: the flip is height - y, no further -1.
void apply_pick_region(int height) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluPickMatrix(pick_x, height - pick_y, pick_region_px, pick_region_px, viewport);
}

// The bodies the digit keys 1 to 9 follow: the planets, never the sun or the moon.
constexpr body_name planet_by_digit[] = {MERCURY, VENUS,  EARTH,   MARS, JUPITER,
                                         SATURN,  URANUS, NEPTUNE, PLUTO};

void follow(body_name target) { ships[active_ship]->set_mode(GEOSYNCH, planet[target]); }

// A pick follows only a planet: the star-field, the sun, the moon and "nothing" (-1) change nothing.
void follow_if_planet(int picked) {
  for (body_name each : planet_by_digit) {
    if (picked == each) follow(each);
  }
}

// The scout window is left current, as the timer leaves it too.
void post_redisplay_of_both_windows() {
  glutSetWindow(glut_mother_ship_window);
  glutPostRedisplay();
  glutSetWindow(glut_scout_ship_window);
  glutPostRedisplay();
}

// The overlays are text over the finished frame, in window pixels with the origin at the bottom left, in
// freeglut's fixed 8x13 font: 64 characters fill a 512-pixel line.
void* const text_font = GLUT_BITMAP_8_BY_13;
constexpr int text_line_px = 15;
constexpr int text_margin_px = 6;
constexpr int label_offset_px = 8;  // a name sits this far right of and above its body's centre
constexpr GLfloat text_colour[3] = {1.0f, 1.0f, 0.6f};

constexpr const char* command_keys_help =
    "</>: scout/mother  l/r: LOOKAT/RELATIVE  g: Earth  space: pick\n"
    "p/P: pause/resume  m: reset  h: help  n: names  Esc: quit";
constexpr const char* lookat_keys_help =
    "x y z/X Y Z: eye +/-  a b c/A B C: target  d e f/D E F: up\n"
    "=/-: step x1.5 / x0.666";
constexpr const char* relative_keys_help =
    "q/e: turn right/left  x/c: nose down/up  a/d: roll right/left\n"
    "w/s: forward/back  =/-: step x1.5 / x0.666";
constexpr const char* geosynch_keys_help =
    "w/s: closer/farther  1-9: follow Mercury ... Pluto\n"
    "=/-: step x1.5 / x0.666";

constexpr const char* mode_names[] = {"LOOKAT", "RELATIVE", "GEOSYNCH"};

// Sets all the state text needs and a pixel projection. The depth test is switched back on afterwards
// because nothing else in a frame switches it on; lighting and texturing are set anew by every drawing.
void begin_text(int width, int height) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, width, 0, height);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glColor3fv(text_colour);
}

void end_text() {
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

// Draws the lines of text from (x, top_y) downwards.
void draw_lines(int x, int top_y, const std::string& text) {
  int line = 0;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    glRasterPos2i(x, top_y - line * text_line_px);
    glutBitmapString(text_font,
                     reinterpret_cast<const unsigned char*>(text.substr(start, end - start).c_str()));
    ++line;
    start = end + 1;
  }
}

int count_lines(const std::string& text) {
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string compute_status_text(ship_name window) {
  const ship& s = *ships[window];
  char step[32];
  const float steps[] = {s.lookat_speed, s.relative_speed, s.geosynch_speed};
  std::snprintf(step, sizeof step, "%g", steps[s.get_mode()]);
  std::string text =
      std::string(ship_titles[window]) + (active_ship == window ? ", has the keys" : "") + "\n";
  text += std::string(mode_names[s.get_mode()]) + ", step " + step;
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr)
    text += std::string("\nfollowing ") + demo_body_label(s.geosynch_body->name);
  if (frozen) text += "\npaused";
  return text;
}

// The window's ship and its state at the top left; the active ship's keys and the commands at the bottom.
void draw_status_overlay(ship_name window, int height) {
  draw_lines(text_margin_px, height - text_margin_px - text_line_px, compute_status_text(window));
  const std::string keys =
      std::string(demo_mode_keys_help(ships[active_ship]->get_mode())) + "\n" + demo_command_keys_help();
  draw_lines(text_margin_px, text_margin_px + (count_lines(keys) - 1) * text_line_px, keys);
}

// Writes a name beside a world point seen by the viewer, if the point lies in front of the camera and inside
// the window.
void draw_label(const char* label, const float* world, const ship& viewer, const double* projection,
                const int* viewport) {
  const float* v = viewer.pose;
  const double eye_z = v[2] * world[0] + v[6] * world[1] + v[10] * world[2] + v[14];
  if (eye_z >= -near_plane) return;
  double model[16], x, y, z;
  for (int i = 0; i < 16; ++i) model[i] = v[i];
  if (!gluProject(world[0], world[1], world[2], model, projection, viewport, &x, &y, &z)) return;
  if (x < 0 || y < 0 || x >= viewport[2] || y >= viewport[3]) return;
  glRasterPos2i(static_cast<int>(x) + label_offset_px, static_cast<int>(y) + label_offset_px);
  glutBitmapString(text_font, reinterpret_cast<const unsigned char*>(label));
}

// Every body but the star-field, whose centre is the sun's, and the other ship where its camera is.
void draw_names_overlay(ship_name viewer, const double* projection, const int* viewport) {
  for (int b = SUN; b < body_count; ++b)
    draw_label(demo_body_label(body_name(b)), &planet[b]->world_pose[12], *ships[viewer], projection,
               viewport);
  const ship_name other = ship_name((viewer + 1) % ship_count);
  float camera[16];
  std::memcpy(camera, ships[other]->pose, sizeof camera);
  ships[other]->invert_pose(camera);
  draw_label(ship_titles[other], &camera[12], *ships[viewer], projection, viewport);
}

// Never in the selection pass, so that the text cannot change what a pick finds.
void draw_overlays(ship_name viewer, int width, int height) {
  if (!status_overlay_on && !names_overlay_on) return;
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const int viewport[4] = {0, 0, width, height};
  begin_text(width, height);
  if (names_overlay_on) draw_names_overlay(viewer, projection, viewport);
  if (status_overlay_on) draw_status_overlay(viewer, height);
  end_text();
}

}  // namespace

const char* demo_body_label(body_name b) { return body_catalogue[b].label; }

const char* demo_command_keys_help() { return command_keys_help; }

const char* demo_mode_keys_help(navigation_mode mode) {
  switch (mode) {
    case LOOKAT: return lookat_keys_help;
    case RELATIVE: return relative_keys_help;
    case GEOSYNCH: return geosynch_keys_help;
  }
  return "";
}

void demo_set_window_ids(unsigned int mother, unsigned int scout) {
  glut_mother_ship_window = mother;
  glut_scout_ship_window = scout;
}

ship_name demo_get_current_window() {
  return static_cast<unsigned int>(glutGetWindow()) == glut_mother_ship_window ? MOTHER_SHIP : SCOUT_SHIP;
}

void demo_init() {
  const ship_name window = demo_get_current_window();
  if (!demo_initialized) {
    create_bodies();
    create_ships();
    demo_reset_ships();
    demo_initialized = true;
  }
  for (const catalogue_entry& entry : body_catalogue)
    planet[entry.name]->set_texture(window, entry.image_path);
  apply_context_state();
}

void demo_reset_ships() {
  ships[MOTHER_SHIP]->reset();
  ships[SCOUT_SHIP]->reset();
  ships[MOTHER_SHIP]->move_lookat_eye(0, 0, mother_ship_eye_offset_z);
}

void demo_idle(float step) {
  if (!demo_initialized || frozen) return;
  planet[STARFIELD]->update(step);
}

void demo_resize(int width, int height) {
  glViewport(0, 0, width, height);
  const float aspect = compute_aspect(width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  apply_perspective(aspect);
  glMatrixMode(GL_MODELVIEW);
}

// The world matrices are computed under an identity model-view, before the camera: a GEOSYNCH camera is
// placed from its body's matrix of this very frame. The other ship is drawn last, under the same camera.
void demo_display() {
  if (!demo_initialized) return;
  const ship_name viewer = demo_get_current_window();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const int width = glutGet(GLUT_WINDOW_WIDTH);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  const float aspect = compute_aspect(width, height);
  glViewport(0, 0, width, height);
  if (is_picking) apply_pick_region(height);
  apply_perspective(aspect);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  planet[STARFIELD]->update_world_pose();
  glLoadIdentity();
  ships[viewer]->apply_camera();
  const render_mode pass = is_picking ? SELECT : RENDER;
  planet[STARFIELD]->render(viewer, pass);
  ships[(viewer + 1) % ship_count]->draw_camera(pass);
  if (pass == RENDER) draw_overlays(viewer, width, height);
}

void demo_keyboard(unsigned char key, int x, int y) {
  if (!demo_initialized) return;
  ship* const active = ships[active_ship];
  switch (key) {
    case ' ': follow_if_planet(demo_pick(x, y)); break;
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      if (active->get_mode() == GEOSYNCH) follow(planet_by_digit[key - '1']);
      break;
    case '<': active_ship = SCOUT_SHIP; break;
    case '>': active_ship = MOTHER_SHIP; break;
    case 'g': follow(EARTH); break;
    case 'l': active->set_mode(LOOKAT, nullptr); break;
    case 'r': active->set_mode(RELATIVE, nullptr); break;
    case 'm': demo_reset_ships(); break;
    case 'p': frozen = true; break;
    case 'P': frozen = false; break;
    case 'h': status_overlay_on = !status_overlay_on; break;
    case 'n': names_overlay_on = !names_overlay_on; break;
    default: active->handle_keyboard(key); break;
  }
  post_redisplay_of_both_windows();
}

int demo_pick(int x, int y) {
  GLuint buffer[selection_buffer_size];
  glSelectBuffer(selection_buffer_size, buffer);
  glRenderMode(GL_SELECT);
  is_picking = true;
  pick_x = x;
  pick_y = y;
  demo_display();
  const GLint hits = glRenderMode(GL_RENDER);
  is_picking = false;
  return compute_nearest_hit(buffer, hits, selection_buffer_size);
}

int compute_nearest_hit(const unsigned int* records, int hit_count, int buffer_size) {
  int closest = -1;
  unsigned int best = 0;
  int read = 0;
  for (int record = 0; record < hit_count; ++record) {
    if (read + 3 > buffer_size) break;
    const unsigned int name_count = records[read];
    const unsigned int zmin = records[read + 1];
    read += 3;  // the maximum depth plays no part
    for (unsigned int n = 0; n < name_count && read < buffer_size; ++n, ++read) {
      if (closest < 0 || zmin < best) {
        best = zmin;
        closest = static_cast<int>(records[read]);
      }
    }
  }
  return closest;
}

// The pointers are cleared too, so that nothing drawn after the exit path can reach a deleted object.
void demo_cleanup() {
  for (ship*& each : ships) {
    delete each;
    each = nullptr;
  }
  for (body*& each : planet) {
    delete each;
    each = nullptr;
  }
  demo_initialized = false;
}
