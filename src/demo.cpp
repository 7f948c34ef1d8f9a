// SPDX-License-Identifier: MIT
// The scene's owner: builds the bodies from the catalogue and the two ships, sets up each window's GL
// context, advances the scene on the timer, draws a window's frame (the overlays over it come from
// overlay.cpp), runs the command table and picking, and deletes everything on exit. It never reads files:
// image and model paths are carried but not opened.
#include "demo.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "camera_views.h"
#include "opengl.h"
#include "overlay.h"
#include "pick_report.h"
#include "transform_chain.h"

ship* ships[ship_count] = {};
body* planet[body_count] = {};
bool demo_initialized = false;
bool frozen = false;
int active_ship = MOTHER_SHIP;
unsigned int glut_mother_ship_window = 0;
unsigned int glut_scout_ship_window = 0;
int text_scale = 1;
shown_views shown;

granted_viewport demo_largest_viewport() {
  GLint largest[2];
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
  return {int(largest[0]), int(largest[1])};
}

bool compute_drawable(int width, int height, const granted_viewport& largest) {
  return double(width) * height <= double(largest.width) * largest.height;
}

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

// The part of a window the driver draws in, from its bottom-left corner: glViewport cuts a larger size down
// to GL_MAX_VIEWPORT_DIMS, and the projection and the overlays must fit what it grants, not the window.
granted_viewport grant_viewport(int width, int height) {
  const granted_viewport largest = demo_largest_viewport();
  return {std::min(width, largest.width), std::min(height, largest.height)};
}

// Spheres as wireframe for "o", lit by a strong ambient light: a line has no face to catch the lamps, and a
// dark body's lines would vanish on black. Off again, the polygons are filled and the ambient light is GL's
// default.
constexpr GLfloat wireframe_ambient[] = {4, 4, 4, 1};
constexpr GLfloat default_ambient[] = {0.2f, 0.2f, 0.2f, 1};
void light_wireframe(bool on) {
  glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, on ? wireframe_ambient : default_ambient);
}

// Each window's own state, by ship_name: what its latest frame drew with, and its overlays' texture and
// names.
window_state windows[ship_count];

// What a normal frame keeps of itself: the viewport, the aspect and the projection it loaded, which the
// views, the names and the other window's view volume then read.
void keep_frame_state(window_state& window, const granted_viewport& granted, float aspect) {
  window.width = granted.width;
  window.height = granted.height;
  window.aspect = aspect;
  glGetDoublev(GL_PROJECTION_MATRIX, window.projection.data());
}

void apply_perspective(float aspect) { gluPerspective(field_of_view_deg, aspect, near_plane, far_plane); }

// Where a selection pass looks: the pointer, in GLUT's window pixels from the top left.
struct pick_point {
  int x, y;
};

// GLUT counts the pointer's y from the top, OpenGL from the bottom: the flip is height - y, no further -1.
void apply_pick_region(int height, const pick_point& pick) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluPickMatrix(pick.x, height - pick.y, pick_region_px, pick_region_px, viewport);
}

// The viewport and projection of a frame of the current window, from its size asked anew, narrowed to the
// pick region in a selection pass. A normal frame's are kept for the views, the names, picking and the other
// window's view volume, which must read what the window shows, its first frame included.
void load_projection(ship_name viewer, const pick_point* pick) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  const granted_viewport granted = grant_viewport(glutGet(GLUT_WINDOW_WIDTH), height);
  const float aspect = compute_aspect(granted.width, granted.height);
  glViewport(0, 0, granted.width, granted.height);
  if (pick != nullptr) apply_pick_region(height, *pick);
  apply_perspective(aspect);
  if (pick == nullptr) keep_frame_state(windows[viewer], granted, aspect);
  glMatrixMode(GL_MODELVIEW);
}

// Whether the pointer lies in the part of the current window the driver draws. Outside it a pick region
// still reaches into the projection's frustum beyond the picture, where it would find what nobody sees.
bool is_in_viewport(int x, int y) {
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  const granted_viewport granted = grant_viewport(glutGet(GLUT_WINDOW_WIDTH), height);
  return x >= 0 && x < granted.width && y >= height - granted.height && y < height;
}

// The bodies the digit keys 1 to 9 follow: the planets, never the sun or the moon.
constexpr body_name planet_by_digit[] = {MERCURY, VENUS,  EARTH,   MARS, JUPITER,
                                         SATURN,  URANUS, NEPTUNE, PLUTO};

void follow(body_name target) { ships[active_ship]->set_mode(GEOSYNCH, planet[target]); }

// What the program says after a key that changed nothing anyone could see, so that no key seems dead, and
// for how many more ticks: in the status band, or on a line of its own while that is off.
struct key_notice {
  const char* message = nullptr;
  int ticks = 0;
};
key_notice notice;
constexpr int notice_duration_ticks = 90;  // three seconds of 33 ms ticks

void say(const char* message) { notice = {message, notice_duration_ticks}; }

// What a pick found that cannot be followed, in the words the status band uses.
const char* describe_unfollowed(int picked) {
  switch (picked) {
    case SUN: return "the Sun is never followed";
    case MOON: return "the Moon is never followed";
    case STARFIELD: return "only the star-field is under the pointer";
    default: return "nothing under the pointer";
  }
}

// A pick follows only a planet: the star-field, the sun, the moon, nothing at all and an overflowed buffer
// change nothing, and the program says which it was. What came of it is written into outcome, in those
// words, over its old text, so that a pick allocates nothing new once the first has run.
void follow_picked(const selection_records& selection, std::string& outcome) {
  if (selection.hits < 0) {
    say("the selection buffer overflowed");
    outcome.assign(notice.message);
    return;
  }
  const int picked = compute_nearest_hit(selection.buffer.data(), selection.hits, selection_buffer_size);
  for (body_name each : planet_by_digit) {
    if (picked == each) {
      follow(each);
      notice = {};
      outcome.assign(demo_body_label(each))
          .append(": followed by the ")
          .append(active_ship == MOTHER_SHIP ? "mother ship" : "scout ship");
      return;
    }
  }
  say(describe_unfollowed(picked));
  outcome.assign(notice.message);
}

constexpr float pick_volume_rgb[3] = {1.0f, 0.3f, 0.3f};

// The last pick, for "k": the window it ran in and what it found.
struct kept_pick {
  bool made = false;
  ship_name window = MOTHER_SHIP;
  pick_report report;
  std::array<float, 16> view = {};         // the picking camera's, as the selection pass placed it
  std::array<double, 16> projection = {};  // its window's, as its last frame loaded it
};

kept_pick last_pick;

// The record the last pick's walk chose; nothing before a pick or after one that hit nothing.
std::optional<chosen_record> last_pick_choice() {
  if (!last_pick.made) return std::nullopt;
  const pick_report& pick = last_pick.report;
  return compute_chosen_record(pick.buffer.data(), pick.hits, int(pick.buffer.size()));
}

// Space: a pick at the pointer in the current window, kept for "k", and the ship sent after what it found.
// The report is filled in place: a pick that grew the heap every time, by a buffer copied anew, grew the
// program's memory by a megabyte over 2,000 picks.
void pick_at(int x, int y) {
  if (!is_in_viewport(x, y)) return say("the pointer is outside the window");
  const ship_name window = demo_get_current_window();
  const selection_records selection = demo_select(x, y);
  pick_report& report = last_pick.report;
  report.x = x;
  report.y = y;
  report.window_height = glutGet(GLUT_WINDOW_HEIGHT);
  const granted_viewport granted = grant_viewport(glutGet(GLUT_WINDOW_WIDTH), report.window_height);
  report.viewport = {0, 0, granted.width, granted.height};
  report.hits = selection.hits;
  report.buffer.assign(selection.buffer.begin(), selection.buffer.end());
  std::copy(ships[window]->pose, ships[window]->pose + 16, last_pick.view.begin());
  last_pick.projection = windows[window].projection;
  last_pick.window = window;
  last_pick.made = true;
  follow_picked(selection, report.outcome);
}

// The scene's rate: a tick moves it by the tick's step times the rate, a power of two between these.
constexpr float slowest_time_rate = 1.0f / 16, fastest_time_rate = 8.0f;
void change_time_rate(float factor) {
  shown.time_rate = std::min(std::max(shown.time_rate * factor, slowest_time_rate), fastest_time_rate);
}

// Moves the paused scene by one tick at the current rate; a running scene moves by itself.
void step_paused_scene() {
  if (!frozen) return say("\".\" steps a paused scene: press p to pause first");
  planet[STARFIELD]->update(compute_timer_step_s(default_timer_period_ms) * shown.time_rate);
}

// The scout window is left current, as the timer leaves it too.
void post_redisplay_of_both_windows() {
  glutSetWindow(glut_mother_ship_window);
  glutPostRedisplay();
  glutSetWindow(glut_scout_ship_window);
  glutPostRedisplay();
}

// One row of the demo's command table: the keys, how --help and the status overlay write them and what they
// do, and the action, told which of the keys was pressed and where the pointer was. The digits act only in
// GEOSYNCH, so their help goes with that mode's keys; Escape is the shell's and has no action here.
struct command {
  const char* keys;
  const char* label;
  const char* help;
  void (*act)(int which, int x, int y);
  bool geosynch_only = false;
};

const std::vector<command> command_table = {
    {"<>", "</>", "scout/mother",
     [](int which, int, int) { active_ship = which == 0 ? SCOUT_SHIP : MOTHER_SHIP; }},
    {"lr", "l/r", "LOOKAT/RELATIVE",
     [](int which, int, int) { ships[active_ship]->set_mode(which == 0 ? LOOKAT : RELATIVE, nullptr); }},
    {"g", "g", "Earth", [](int, int, int) { follow(EARTH); }},
    {" ", "space", "pick", [](int, int x, int y) { pick_at(x, y); }},
    {"123456789", "1-9", "follow Mercury ... Pluto",
     [](int which, int, int) {
       if (ships[active_ship]->get_mode() != GEOSYNCH)
         return say("digits choose a planet to follow in GEOSYNCH: press g first");
       follow(planet_by_digit[which]);
     },
     true},
    {"pP", "p/P", "pause/resume", [](int which, int, int) { frozen = which == 0; }},
    {"m", "m", "reset", [](int, int, int) { demo_reset_ships(); }},
    {"h", "h", "help", [](int, int, int) { shown.status = !shown.status; }},
    {"n", "n", "names", [](int, int, int) { shown.names = !shown.names; }},
    {"i", "i", "camera", [](int, int, int) { shown.camera = !shown.camera; }},
    {"v", "v", "volume", [](int, int, int) { shown.volume = !shown.volume; }},
    {"o", "o", "frames", [](int, int, int) { shown.frames = !shown.frames; }},
    {"k", "k", "last pick", [](int, int, int) { shown.pick = !shown.pick; }},
    {"t", "t", "chain", [](int, int, int) { shown.chain = !shown.chain; }},
    {"[]", "[/]", "slower/faster", [](int which, int, int) { change_time_rate(which == 0 ? 0.5f : 2.0f); }},
    {".", ".", "tick", [](int, int, int) { step_paused_scene(); }},
    {"\x1b", "Esc", "quit", nullptr},
};

// Runs the command whose row holds the key; false when no row does.
bool run_command(unsigned char key, int x, int y) {
  for (const command& row : command_table)
    if (const int which = find_key(row.keys, key); which >= 0) {
      if (row.act != nullptr) row.act(which, x, y);
      return true;
    }
  return false;
}

// Rows written "label: help", as --help and the key band list them.
std::string compute_item(const char* label, const char* help) { return std::string(label) + ": " + help; }

std::vector<std::string> compute_command_items() {
  std::vector<std::string> items;
  for (const command& row : command_table)
    if (!row.geosynch_only) items.push_back(compute_item(row.label, row.help));
  return items;
}

std::vector<std::string> compute_mode_items(navigation_mode mode) {
  std::vector<std::string> items;
  for (const key_binding& row : ship_key_table(mode)) items.push_back(compute_item(row.label, row.help));
  if (mode == GEOSYNCH)
    for (const command& row : command_table)
      if (row.geosynch_only) items.push_back(compute_item(row.label, row.help));
  return items;
}

// --help writes the items as many to a line as fit 64 columns, as in a 512-pixel window.
constexpr int help_columns = 64;
std::string compute_help(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& line : compute_wrapped_lines({items}, help_columns))
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

constexpr const char* mode_names[] = {"LOOKAT", "RELATIVE", "GEOSYNCH"};

// "(x, y, z)", four significant digits each.
std::string compute_vector_text(const float* v) {
  char text[96];
  std::snprintf(text, sizeof text, "(%.4g, %.4g, %.4g)", v[0], v[1], v[2]);
  return text;
}

// "x8" or "x1/16": the rate as a factor.
std::string compute_rate_text(float rate) {
  char text[32];
  if (rate >= 1.0f)
    std::snprintf(text, sizeof text, "x%g", rate);
  else
    std::snprintf(text, sizeof text, "x1/%g", 1.0f / rate);
  return text;
}

// The step of the mode the ship is in, as %g writes it, and when "=" can take it no further, that it cannot.
std::string compute_step_text(const ship& s) {
  char step[32];
  std::snprintf(step, sizeof step, "%g", s.get_step());
  return s.at_largest_step() ? std::string(step) + ", the largest" : step;
}

// Whether a body, as drawn, lies between the eye and the point; the point's own body never counts.
bool is_hidden(const std::array<double, 3>& eye, const std::array<float, 3>& point, int own_body) {
  for (int b = SUN; b < body_count; ++b)
    if (b != own_body && planet[b]->hides(eye, point)) return true;
  return false;
}

// Every body but the star-field (whose centre is the sun's) beside its disc, and the other ship beside its
// model where its camera is, when it has a place; each marked hidden when a body drawn nearer covers it.
// Every body seen from outside keeps the other names off its disc, and Saturn off its rings too.
void add_label_requests(overlay_content& content, ship_name viewer) {
  const std::array<double, 3>& eye = content.camera.eye;
  for (int b = SUN; b < body_count; ++b) {
    const std::array<float, 3> world = planet[b]->centre();
    const bool hidden = is_hidden(eye, world, b);
    const size_t request = content.labels.size();
    content.labels.push_back({demo_body_label(body_name(b)), world, planet[b]->radius, hidden});
    if (hidden || planet[b]->holds(eye)) continue;
    content.obstacles.push_back({world, planet[b]->radius, request});
    for (const std::array<float, 4>& ball : planet[b]->ring_bounds())
      content.obstacles.push_back({{ball[0], ball[1], ball[2]}, ball[3], request});
  }
  const camera_place other_camera = ships[other_ship(viewer)]->locate_camera();
  if (other_camera.fault == nullptr) {
    const std::array<float, 3> world = {float(other_camera.eye[0]), float(other_camera.eye[1]),
                                        float(other_camera.eye[2])};
    content.labels.push_back(
        {ship_titles[other_ship(viewer)], world, ship_model_radius, is_hidden(eye, world, -1)});
  }
}

}  // namespace

// As far as what the other camera looks at (its target in LOOKAT, its body's centre in GEOSYNCH) but no
// farther than its far plane, or a fixed distance in RELATIVE or when that lies behind it.
std::optional<std::array<point3, 5>> demo_view_volume(ship_name viewer) {
  constexpr double relative_depth = 30.0;
  const ship_name other = other_ship(viewer);
  const camera_place camera = ships[other]->locate_camera();
  if (camera.fault != nullptr) return std::nullopt;
  double depth = std::min(camera.target_depth, far_plane);
  if (!(depth > near_plane)) depth = relative_depth;
  return compute_view_volume(camera.view, windows[other].projection.data(), depth);
}

std::optional<std::array<point3, 5>> demo_pick_volume(ship_name viewer) {
  if (!shown.pick || !shown.volume || !last_pick.made || last_pick.window == viewer) return std::nullopt;
  const auto chosen = last_pick_choice();
  const double depth = chosen ? compute_selection_distance(chosen->z1, near_plane, far_plane) : far_plane;
  return compute_pick_volume(last_pick.view.data(), last_pick.projection.data(), last_pick.report, depth);
}

namespace {

// The overlays that are on, over the viewing window's finished frame.
void draw_overlays(ship_name viewer) {
  window_state& window = windows[viewer];
  overlay_content content;
  if (shown.status) {
    content.bands.status = demo_status_lines(viewer);
    content.bands.keys = demo_key_sections();
  }
  if (!shown.status && notice.ticks > 0 && notice.message != nullptr) content.bands.status = {notice.message};
  if (shown.camera) content.bands.camera = demo_camera_lines(viewer);
  if (shown.pick) {
    const std::vector<std::string> pick = demo_pick_lines(viewer);
    content.bands.camera.insert(content.bands.camera.end(), pick.begin(), pick.end());
    if (last_pick.made && last_pick.window == viewer) content.marks = compute_pick_outline(last_pick.report);
  }
  if (shown.chain) {
    const std::vector<std::string> chain = demo_chain_lines();
    content.bands.camera.insert(content.bands.camera.end(), chain.begin(), chain.end());
  }
  content.text_scale = text_scale;
  content.names_on = shown.names;
  if (shown.names) {
    content.camera = ships[viewer]->locate_camera();
    if (content.camera.fault == nullptr) add_label_requests(content, viewer);
  }
  overlay_draw(window.overlay, content, window.projection.data(), window.width, window.height);
}

}  // namespace

const char* demo_body_label(body_name b) { return body_catalogue[b].label; }

const window_state& demo_window(ship_name viewer) { return windows[viewer]; }

const body& demo_chain_body() {
  const ship& active = *ships[active_ship];
  if (active.get_mode() == GEOSYNCH && active.geosynch_body != nullptr) return *active.geosynch_body;
  const auto chosen = last_pick_choice();
  if (chosen && chosen->name >= unsigned(SUN) && chosen->name < unsigned(body_count))
    return *planet[chosen->name];
  return *planet[SUN];
}

std::vector<std::string> demo_pick_lines(ship_name viewer) {
  if (!last_pick.made) return {"no pick yet: press space over a body"};
  if (last_pick.window != viewer) return {"the last pick ran in the other window"};
  return compute_pick_lines(
      last_pick.report,
      [](unsigned int n) { return std::string(n < body_count ? demo_body_label(body_name(n)) : "?"); },
      near_plane, far_plane);
}

std::vector<std::string> demo_chain_lines() {
  return compute_chain_lines(demo_chain_body(),
                             [](const body& b) { return std::string(demo_body_label(b.name)); });
}

const char* demo_command_keys_help() {
  static const std::string help = compute_help(compute_command_items());
  return help.c_str();
}

const char* demo_mode_keys_help(navigation_mode mode) {
  static const std::string help[] = {compute_help(compute_mode_items(LOOKAT)),
                                     compute_help(compute_mode_items(RELATIVE)),
                                     compute_help(compute_mode_items(GEOSYNCH))};
  return mode >= LOOKAT && mode <= GEOSYNCH ? help[mode].c_str() : "";
}

std::vector<std::string> demo_status_lines(ship_name window) {
  const ship& s = *ships[window];
  std::vector<std::string> lines = {
      std::string(ship_titles[window]) + (active_ship == window ? ", has the keys" : ""),
      std::string(mode_names[s.get_mode()]) + ", step " + compute_step_text(s)};
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr)
    lines.push_back(std::string("following ") + demo_body_label(s.geosynch_body->name));
  if (frozen) lines.emplace_back("paused");
  if (shown.time_rate != 1.0f) lines.push_back("time " + compute_rate_text(shown.time_rate));
  if (text_scale != 1) lines.push_back("text scale " + std::to_string(text_scale));
  if (notice.ticks > 0 && notice.message != nullptr) lines.emplace_back(notice.message);
  return lines;
}

std::vector<std::string> demo_camera_lines(ship_name window) {
  const ship& s = *ships[window];
  std::vector<std::string> lines = {std::string(ship_titles[window]) + "'s camera, " +
                                    mode_names[s.get_mode()]};
  const camera_place camera = s.locate_camera();
  if (s.get_mode() == LOOKAT) {
    lines.push_back("eye    " + compute_vector_text(s.eye));
    lines.push_back("target " + compute_vector_text(s.origin));
    lines.push_back("up     " + compute_vector_text(s.up));
  } else if (camera.fault == nullptr) {
    const float eye[3] = {float(camera.eye[0]), float(camera.eye[1]), float(camera.eye[2])};
    lines.push_back("eye at " + compute_vector_text(eye));
  }
  if (camera.fault != nullptr) lines.emplace_back(camera.fault);
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr) {
    char distance[32];
    std::snprintf(distance, sizeof distance, "%g", s.geosynch_distance);
    lines.push_back(std::string("following ") + demo_body_label(s.geosynch_body->name) + " at distance " +
                    distance);
  }
  lines.push_back(compute_perspective_call(field_of_view_deg, windows[window].aspect, near_plane, far_plane));
  lines.push_back("scene time " + compute_rate_text(shown.time_rate));
  lines.emplace_back("model-view, world to eye:");
  for (std::string& row : compute_matrix_rows(camera.view)) lines.push_back(std::move(row));
  return lines;
}

std::vector<std::vector<std::string>> demo_key_sections() {
  // Made once: the key band asks for them in every frame.
  static const std::vector<std::string> mode_items[] = {
      compute_mode_items(LOOKAT), compute_mode_items(RELATIVE), compute_mode_items(GEOSYNCH)};
  static const std::vector<std::string> command_items = compute_command_items();
  const navigation_mode mode = ships[active_ship]->get_mode();
  std::vector<std::string> mode_keys = {std::string(ship_titles[active_ship]) + "'s keys, " +
                                        mode_names[mode] + ":"};
  mode_keys.insert(mode_keys.end(), mode_items[mode].begin(), mode_items[mode].end());
  return {mode_keys, command_items};
}

const char* demo_refuse_typed_key(unsigned char key) {
  if (key == ' ') return "space picks what lies under the pointer, and typed keys have none";
  for (const command& row : command_table)
    if (find_key(row.keys, key) >= 0)
      return row.act == nullptr ? "Escape would end the program at once" : nullptr;
  for (const navigation_mode mode : {LOOKAT, RELATIVE, GEOSYNCH})
    for (const key_binding& row : ship_key_table(mode))
      if (find_key(row.keys, key) >= 0) return nullptr;
  return "no command and no navigation mode takes it";
}

std::vector<std::string> demo_command_keys() {
  std::vector<std::string> keys;
  for (const command& row : command_table) keys.emplace_back(row.keys);
  return keys;
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
  load_projection(window, nullptr);
}

void demo_reset_ships() {
  ships[MOTHER_SHIP]->reset();
  ships[SCOUT_SHIP]->reset();
  ships[MOTHER_SHIP]->move_lookat_eye(0, 0, mother_ship_eye_offset_z);
}

void demo_idle(float step) {
  if (!demo_initialized) return;
  if (notice.ticks > 0) --notice.ticks;  // the message's time runs while paused too
  if (frozen) return;
  planet[STARFIELD]->update(step * shown.time_rate);  // exact at rate 1
}

void demo_resize(int width, int height) {
  const granted_viewport granted = grant_viewport(width, height);
  glViewport(0, 0, granted.width, granted.height);
  const float aspect = compute_aspect(granted.width, granted.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  apply_perspective(aspect);
  glMatrixMode(GL_MODELVIEW);
}

void demo_place_cameras() {
  for (const ship_name each : {MOTHER_SHIP, SCOUT_SHIP}) {
    glutSetWindow(each == MOTHER_SHIP ? glut_mother_ship_window : glut_scout_ship_window);
    load_projection(each, nullptr);
    glLoadIdentity();
    planet[STARFIELD]->update_world_pose();
    glLoadIdentity();
    ships[each]->apply_camera();
  }
}

void demo_type_keys(const std::string& keys, int x, int y) {
  demo_place_cameras();
  for (const char key : keys) {
    glutSetWindow(glut_mother_ship_window);
    demo_keyboard(static_cast<unsigned char>(key), x, y);
    demo_place_cameras();  // as the frame a user sees between two keys would
  }
  glutSetWindow(glut_mother_ship_window);
}

namespace {

// A frame of the current window, or with a pick point the selection pass around it. The world matrices are
// computed under an identity model-view, before the camera: a GEOSYNCH camera is placed from its body's
// matrix of this very frame. The other ship is drawn last, under the same camera.
void draw_view(const pick_point* pick) {
  if (!demo_initialized) return;
  const ship_name viewer = demo_get_current_window();
  load_projection(viewer, pick);
  const render_mode pass = pick != nullptr ? SELECT : RENDER;
  glLoadIdentity();
  planet[STARFIELD]->update_world_pose();
  glLoadIdentity();
  ships[viewer]->apply_camera();
  // The selection pass draws the spheres filled whatever "o" says, so picks find the same bodies.
  const bool wireframe = pass == RENDER && shown.frames;
  if (wireframe) light_wireframe(true);
  planet[STARFIELD]->render(viewer, pass);
  if (wireframe) light_wireframe(false);
  ships[other_ship(viewer)]->draw_camera(pass);
  if (pass == SELECT) return;
  if (shown.volume)
    if (const auto volume = demo_view_volume(viewer)) draw_view_volume(*volume);
  if (const auto volume = demo_pick_volume(viewer)) draw_view_volume(*volume, pick_volume_rgb);
  if (shown.frames)
    for (int b = SUN; b < body_count; ++b) draw_body_frame(*planet[b]);
  draw_overlays(viewer);
}

}  // namespace

void demo_display() { draw_view(nullptr); }

void demo_keyboard(unsigned char key, int x, int y) {
  if (!demo_initialized) return;
  if (!run_command(key, x, y)) ships[active_ship]->handle_keyboard(key);
  post_redisplay_of_both_windows();
}

int demo_pick(int x, int y) {
  const selection_records selection = demo_select(x, y);
  return compute_nearest_hit(selection.buffer.data(), selection.hits, selection_buffer_size);
}

selection_records demo_select(int x, int y) {
  selection_records selection;
  glSelectBuffer(selection_buffer_size, selection.buffer.data());
  glRenderMode(GL_SELECT);
  const pick_point pick = {x, y};
  draw_view(&pick);
  selection.hits = glRenderMode(GL_RENDER);
  return selection;
}

int compute_nearest_hit(const unsigned int* records, int hit_count, int buffer_size) {
  const std::optional<chosen_record> chosen = compute_chosen_record(records, hit_count, buffer_size);
  return chosen ? static_cast<int>(chosen->name) : -1;
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
  notice = {};  // a word about the last key belongs to the scene it was said in
  last_pick = {};
  demo_initialized = false;
}
