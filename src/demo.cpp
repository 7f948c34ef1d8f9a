// SPDX-License-Identifier: MIT
// The scene's life and its frame: builds the bodies from the catalogue and the two ships, sets up each
// window's GL context, advances the scene on the timer, draws a window's frame (and the selection pass of a
// pick), hands each key to the command table, and deletes everything on exit. The command table
// (commands.cpp), picking (picking.cpp) and the views' words (view_words.cpp) work on the scene's state
// (scene_state.h); this file calls them. It never reads files: image and model paths are carried but not
// opened.
#include "demo.h"

#include <algorithm>
#include <ctime>
#include <string>

#include "board_window.h"
#include "camera_views.h"
#include "commands.h"
#include "depth_view.h"
#include "lesson_play.h"
#include "opengl.h"
#include "overlay.h"
#include "picking.h"
#include "picture_file.h"
#include "scene_steps.h"
#include "state_saving.h"
#include "view_words.h"

namespace {

// clang-format off
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

// Each window's overlays: its text texture, and the names its last frame placed, which keep their places.
window_overlay overlays[ship_count];

constexpr const char* mother_ship_model_path = "data/x_wing.obj";
constexpr const char* scout_ship_model_path = "data/scout.obj";

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

// Spheres as wireframe for "o", lit by a strong ambient light: a line has no face to catch the lamps, and a
// dark body's lines would vanish on black. Off again, the polygons are filled and the ambient light is GL's
// default.
constexpr GLfloat wireframe_ambient[] = {4, 4, 4, 1};
constexpr GLfloat default_ambient[] = {0.2f, 0.2f, 0.2f, 1};
void light_wireframe(bool on) {
  glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, on ? wireframe_ambient : default_ambient);
}

// What a normal frame keeps of itself: the viewport, the aspect and the projection it loaded, which the
// views, the names and the other window's view volume then read.
void keep_frame_state(window_state& window, const window_frame& frame) {
  window.width = frame.granted.width;
  window.height = frame.granted.height;
  window.aspect = frame.aspect;
  window.projection = frame.projection;
}

// The frame of the current window at its size asked anew.
window_frame query_current_frame(ship_name viewer) {
  return query_window_frame(window_states[viewer].lens, glutGet(GLUT_WINDOW_WIDTH),
                            glutGet(GLUT_WINDOW_HEIGHT));
}

// The viewport and projection of a frame of the current window, narrowed to the pick region in a selection
// pass. A normal frame's are kept for the views, the names, picking and the other window's view volume, which
// must read what the window shows, its first frame included.
void load_projection(ship_name viewer, const pick_point* pick) {
  const window_frame frame = query_current_frame(viewer);
  load_window_frame(frame, glutGet(GLUT_WINDOW_HEIGHT), pick);
  if (pick == nullptr) keep_frame_state(window_states[viewer], frame);
}

// Space or Shift+space: a pick at the pointer in the current window, where the window is drawn, handed to
// picking, which sends a ship after it unless it holds still.
void pick_at(int x, int y, bool holds_still) {
  if (board_is_current()) return say("space picks in a scene window: the board has no scene to pick from");
  const ship_name window = demo_get_current_window();
  const window_frame frame = query_current_frame(window);
  const pick_place where = {x,
                            y,
                            glutGet(GLUT_WINDOW_HEIGHT),
                            {0, 0, frame.granted.width, frame.granted.height},
                            frame.projection,
                            frame.lens};
  if (!admit_pick(where)) return;
  take_pick(window, where, demo_select(x, y), holds_still);
}

// The scout window is left current, as the timer leaves it too; the board, open, shows the keys' numbers.
void post_redisplay_of_both_windows() {
  board_post_redisplay();
  glutSetWindow(glut_mother_ship_window);
  glutPostRedisplay();
  glutSetWindow(glut_scout_ship_window);
  glutPostRedisplay();
}

// The bodies whose numbers "k" and "t" show, ringed where the window shows them, so that a class sees whose
// numbers those are: the body the last pick chose, and the body of the chain.
void add_body_rings(std::vector<float>& marks, ship_name viewer, const window_state& window) {
  std::vector<const body*> marked;
  if (shown.pick && last_picked_body() != nullptr) marked.push_back(last_picked_body());
  if (shown.chain) marked.push_back(&demo_chain_body());
  const int viewport[4] = {0, 0, window.width, window.height};
  for (const body* each : marked) {
    const std::vector<float> ring = compute_body_ring(each->centre(), each->radius, ships[viewer]->pose,
                                                      window.projection.data(), viewport);
    marks.insert(marks.end(), ring.begin(), ring.end());
  }
}

// The overlays that are on, over the viewing window's finished frame.
void draw_overlays(ship_name viewer) {
  window_state& window = window_states[viewer];
  overlay_content content;
  content.bands = demo_band_text(viewer);
  if (shown.pick && last_pick().made && last_pick().window == viewer)
    content.marks = compute_pick_outline(last_pick().report);
  add_body_rings(content.marks, viewer, window);
  content.text_scale = text_scale;
  content.names_on = shown.names;
  if (shown.names) {
    content.camera = ships[viewer]->locate_camera();
    if (content.camera.fault == nullptr)
      add_label_requests(content, viewer, planet, *ships[other_ship(viewer)]);
  }
  overlay_draw(overlays[viewer], content, window.projection.data(), window.width, window.height);
}

// Which windows still owe the first frame of a lesson's state just reached. A tick that comes before them
// (the F key and a due timer handled in one turn of GLUT's loop) must not move the scene on, or the state's
// first frame would never be seen; only that one tick waits, so a window that is never drawn cannot stop the
// scene.
std::array<bool, ship_count> state_frame_owed = {};

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
    if (const auto volume = demo_view_volume(viewer)) draw_view_volume(*volume, nullptr, float(text_scale));
  if (const auto volume = demo_pick_volume(viewer))
    draw_view_volume(*volume, pick_volume_rgb, float(text_scale));
  if (shown.frames)
    for (int b = SUN; b < body_count; ++b) draw_body_frame(*planet[b], float(text_scale));
  state_frame_owed[viewer] = false;
  if (shown.depth)
    draw_depth_as_grey(window_states[viewer].width, window_states[viewer].height);
  else
    release_depth_view();
  draw_overlays(viewer);
}

// "W": each window's frame drawn once more, as it shows now, and written beside the saved states as a PNG
// file of its own; the status band names each, or says why it was not written.
void save_window_pictures() {
  if (save_file.empty()) return say("no picture saved: there is no data folder (no HOME): use --save-to");
  const std::time_t now = std::time(nullptr);
  const std::tm at = *std::localtime(&now);
  std::string said;
  for (const ship_name each : {MOTHER_SHIP, SCOUT_SHIP}) {
    const picture_stem stem = make_picture_stem(save_file, each == MOTHER_SHIP ? "mother" : "scout", at);
    set_ship_window(each);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_view(nullptr);
    const window_state& window = window_states[each];
    const picture_written written = stem.why.empty()
                                        ? save_back_buffer(stem.stem, window.width, window.height)
                                        : picture_written{"", stem.why};
    said += std::string(said.empty() ? "" : "; ") + (each == MOTHER_SHIP ? "mother" : "scout") +
            (written.why.empty() ? " picture saved: " + written.path : " picture not saved: " + written.why);
  }
  const picture_stem board_stem = make_picture_stem(save_file, "board", at);
  if (const auto board = board_stem.why.empty() ? board_save_picture(board_stem.stem) : std::nullopt)
    said += "; board picture " + (board->why.empty() ? "saved: " + board->path : "not saved: " + board->why);
  say(said);
}

}  // namespace

// As far as what the other camera looks at (its target in LOOKAT, its body's centre in GEOSYNCH) but no
// farther than its far plane, or a fixed distance in RELATIVE or when that lies behind it; never nearer than
// its near plane.
std::optional<std::array<point3, 5>> demo_view_volume(ship_name viewer) {
  constexpr double relative_depth = 30.0;
  const ship_name other = other_ship(viewer);
  const camera_place camera = ships[other]->locate_camera();
  if (camera.fault != nullptr) return std::nullopt;
  const projection_lens& lens = window_states[other].lens;
  double depth = std::min(camera.target_depth, lens.far_distance);
  if (!(depth > lens.near_distance)) depth = relative_depth;
  depth = std::clamp(depth, lens.near_distance,
                     lens.far_distance);  // what lies before the near plane is not in the volume
  return compute_view_volume(camera.view, window_states[other].projection.data(), depth);
}

const window_state& demo_window(ship_name viewer) { return window_states[viewer]; }

const window_overlay& demo_overlay(ship_name viewer) { return overlays[viewer]; }

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
    keep_start_angles();
    create_ships();
    demo_reset_ships();
    demo_initialized = true;
  }
  for (const catalogue_entry& entry : body_catalogue)
    planet[entry.name]->set_texture(window, entry.image_path);
  apply_context_state();
  load_projection(window, nullptr);
}

void demo_idle(float step) {
  if (!demo_initialized) return;
  if (notice.ticks > 0) --notice.ticks;  // the message's time runs while paused too
  const bool frame_owed = state_frame_owed[MOTHER_SHIP] || state_frame_owed[SCOUT_SHIP];
  state_frame_owed = {};
  if (frozen || frame_owed) return;
  planet[STARFIELD]->update(step * shown.time_rate);  // exact at rate 1
}

void demo_resize(int width, int height) {
  load_window_frame(query_window_frame(window_states[demo_get_current_window()].lens, width, height), height,
                    nullptr);
}

void demo_place_cameras() {
  for (const ship_name each : {MOTHER_SHIP, SCOUT_SHIP}) {
    set_ship_window(each);
    load_projection(each, nullptr);
    glLoadIdentity();
    planet[STARFIELD]->update_world_pose();
    glLoadIdentity();
    ships[each]->apply_camera();
  }
}

// What types the keys of start-up and of a lesson's state: the keyboard, and the cameras placed between keys.
constexpr key_typist demo_typist = {demo_keyboard, demo_place_cameras};

void demo_type_keys(const std::string& keys, int x, int y, ship_name window) {
  type_keys(demo_typist, keys, x, y, window);
}

void demo_type_start(const std::string& keys, const std::optional<start_pick>& pick) {
  type_start(demo_typist, keys, pick);
}

// The state's first frame lays out its names afresh, and shows the scene after its first tick; a state given
// by numbers as they were, with no tick.
void demo_go_to_lesson_state(int index) {
  if (!reach_lesson_state(demo_typist, index)) return;
  // A state whose numbers the bands would cut shows them on the board, where the class can read them.
  if (!loaded_lesson.board_off && glut_board_window == 0 && !demo_bands_hold_views()) board_open();
  for (window_overlay& each : overlays) each.names.clear();
  if (!loaded_lesson.states[size_t(index)]->numbers) demo_idle(compute_timer_step_s(default_timer_period_ms));
  state_frame_owed = {true, true};
}

// A normal frame, or the selection pass while demo_pick has is_picking set: then only the bodies under the
// pick region around (pick_x, pick_y) are drawn, with their names.
void demo_display() {
  if (!is_picking) return draw_view(nullptr);
  const pick_point pick = {pick_x, pick_y};
  draw_view(&pick);
}

// A key that changes the scene leaves a step back; the keys a lesson's state types through here are part of
// the state's one step.
void demo_keyboard(unsigned char key, int x, int y) {
  if (!demo_initialized) return;
  if (notice.until_key) notice = {};
  static int typing_depth = 0;
  scene_step before = typing_depth == 0 ? capture_scene_step() : scene_step{};
  ++typing_depth;
  const key_use use = run_command(key);
  if (use == key_use::pick || use == key_use::inspect) pick_at(x, y, use == key_use::inspect);
  if (use == key_use::lesson) demo_go_to_lesson_state(key - first_lesson_key);
  if (use == key_use::board) board_toggle();
  if (use == key_use::back && !step_back()) say(why_no_step_back());
  if (use == key_use::picture) save_window_pictures();
  if (use == key_use::ship) ships[active_ship]->handle_keyboard(key);
  --typing_depth;
  if (typing_depth == 0 && use != key_use::back) remember_step(std::move(before));
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
  is_picking = true;
  pick_x = x;
  pick_y = y;
  demo_display();
  selection.hits = glRenderMode(GL_RENDER);
  is_picking = false;
  return selection;
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
  notice = {};  // a message about the last key belongs to the scene it was shown in
  state_frame_owed = {};
  forget_pick();
  forget_steps();
  demo_initialized = false;
}
