// SPDX-License-Identifier: MIT
// The command table's rows and what each key does to the scene's state; the help that --help and the key
// band write from them.
#include "commands.h"

#include <algorithm>
#include <ctime>

#include "frame_constants.h"
#include "lesson.h"
#include "overlay_text.h"
#include "scene_state.h"
#include "scene_steps.h"
#include "state_saving.h"

namespace {

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

// The projection keys act on the projection of the active ship's window, within the lens's limits; a key past
// them changes nothing, and says why.
constexpr int view_step_deg = 5;
constexpr const char* planes_crossed = "the near plane must stay nearer than the far plane";
// The words on a limit, made from the limit itself.
const std::string view_limits = "the field of view runs from " + std::to_string(narrowest_view_deg) + " to " +
                                std::to_string(widest_view_deg) + " degrees";
const std::string nearest_plane =
    "the near plane comes no nearer than 1/" + std::to_string(plane_steps) + " of its start";
const std::string farthest_plane =
    "the far plane goes no farther than " + std::to_string(plane_steps) + " times its start";

void widen_view(double by_deg) {
  projection_lens& lens = window_states[active_ship].lens;
  const double wanted = lens.field_of_view + by_deg;
  if (wanted < narrowest_view_deg || wanted > widest_view_deg) return say(view_limits);
  lens.field_of_view = wanted;
}

void move_near_plane(double factor) {
  projection_lens& lens = window_states[active_ship].lens;
  const double wanted = lens.near_distance * factor;
  if (wanted >= lens.far_distance) return say(planes_crossed);
  if (wanted < nearest_near_plane) return say(nearest_plane);
  lens.near_distance = wanted;
}

void move_far_plane(double factor) {
  projection_lens& lens = window_states[active_ship].lens;
  const double wanted = lens.far_distance * factor;
  if (wanted <= lens.near_distance) return say(planes_crossed);
  if (wanted > farthest_far_plane) return say(farthest_plane);
  lens.far_distance = wanted;
}

// "S": the scene appended to the user's lesson file as a state, and where it went, or why not.
void save_scene() {
  if (save_file.empty())
    return say("not saved: there is no data folder (no HOME): name a file with --save-to");
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  const window_state& mother = window_states[MOTHER_SHIP];
  const state_to_save state =
      compute_state_to_save(capture_state_numbers(), lesson_step, lesson_notes, {mother.width, mother.height},
                            text_scale, {local->tm_hour, local->tm_min}, demo_refuse_typed_key);
  say(compute_save_message(save_file, append_state(save_file, state)));
}

// One row of the demo's command table: the keys, how --help and the status overlay write them and what they
// do, and the action, told which of the keys was pressed. The digits act only in GEOSYNCH, so their help goes
// with that mode's keys. A row without an action is another's to carry out, the frame's or the shell's, and
// says why --keys cannot type it.
struct command {
  const char* keys;
  const char* label;
  const char* help;
  void (*act)(int which);
  bool geosynch_only = false;
  key_use use = key_use::command;
  const char* untypable = nullptr;
};

// The rows of the keys without a character, spelt from their codes.
const std::string inspect_keys = compute_key_row(inspect_key, 1);
const std::string lesson_keys = compute_key_row(first_lesson_key, lesson_key_count);
const std::string escape_keys = compute_key_row(escape_key, 1);
const std::string board_keys = compute_key_row(board_key, 1);
const std::string back_keys = compute_key_row(back_key, 1);

const std::vector<command> command_table = {
    {"<>", "</>", "scout/mother", [](int which) { active_ship = which == 0 ? SCOUT_SHIP : MOTHER_SHIP; }},
    {"lr", "l/r", "LOOKAT/RELATIVE",
     [](int which) { ships[active_ship]->set_mode(which == 0 ? LOOKAT : RELATIVE, nullptr); }},
    {"g", "g", "Earth", [](int) { follow(EARTH); }},
    {" ", "space", "pick", nullptr, false, key_use::pick,
     "space picks what lies under the pointer, and typed keys have none"},
    {inspect_keys.c_str(), "Shift+space", "inspect", nullptr, false, key_use::inspect,
     "Shift+space picks what lies under the pointer, and typed keys have none"},
    {"123456789", "1-9", "follow Mercury ... Pluto",
     [](int which) {
       if (ships[active_ship]->get_mode() != GEOSYNCH)
         return say("digits choose a planet to follow in GEOSYNCH: press g first");
       follow(followable_planets[which]);
     },
     true},
    {"pP", "p/P", "pause/resume", [](int which) { frozen = which == 0; }},
    {"m", "m", "reset", [](int) { leave_lesson_state(); }},
    {"h", "h", "help", [](int) { shown.status = !shown.status; }},
    {"n", "n", "names", [](int) { shown.names = !shown.names; }},
    {"i", "i", "camera", [](int) { shown.camera = !shown.camera; }},
    {"v", "v", "volume", [](int) { shown.volume = !shown.volume; }},
    {"o", "o", "frames", [](int) { shown.frames = !shown.frames; }},
    {"k", "k", "last pick", [](int) { shown.pick = !shown.pick; }},
    {"t", "t", "chain", [](int) { shown.chain = !shown.chain; }},
    {"()", "(/)", "field of view",
     [](int which) { widen_view(which == 0 ? -view_step_deg : view_step_deg); }},
    {"{}", "{/}", "near plane", [](int which) { move_near_plane(which == 0 ? 0.5 : 2.0); }},
    {"_+", "_/+", "far plane", [](int which) { move_far_plane(which == 0 ? 0.5 : 2.0); }},
    {"u", "u", "depth", [](int) { shown.depth = !shown.depth; }},
    {"[]", "[/]", "slower/faster", [](int which) { change_time_rate(which == 0 ? 0.5f : 2.0f); }},
    {".", ".", "tick", [](int) { step_paused_scene(); }},
    {lesson_keys.c_str(), "F1-F12", "lesson", nullptr, false, key_use::lesson,
     "an F key starts a state of the lesson afresh, which a state's keys cannot"},
    {"S", "S", "save state", [](int) { save_scene(); }, false, key_use::command,
     "S saves the scene to a file, which typed keys must not"},
    {"W", "W", "save pictures", nullptr, false, key_use::picture,
     "W writes files, which typed keys must not"},
    {back_keys.c_str(), "Backspace", "step back", nullptr, false, key_use::back,
     "Backspace steps back through what was done by hand"},
    {board_keys.c_str(), "Tab", "board", nullptr, false, key_use::board,
     "Tab opens a window, which --board does at start-up"},
    {escape_keys.c_str(), "Esc", "quit", nullptr, false, key_use::shell,
     "Escape would end the program at once"},
};

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

}  // namespace

key_use run_command(unsigned char key) {
  for (const command& row : command_table)
    if (const int which = find_key(row.keys, key); which >= 0) {
      if (row.act != nullptr) row.act(which);
      return row.use;
    }
  return key_use::ship;
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
  // Past ASCII lie the codes the shell gives the keys without a character, F1 to F12 and Shift+space; a byte
  // of text there is no key at all.
  if (key > '~') return "no key types it";
  for (const command& row : command_table)
    if (find_key(row.keys, key) >= 0) return row.untypable;
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
