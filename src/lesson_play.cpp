// SPDX-License-Identifier: MIT
#include "lesson_play.h"

#include <array>
#include <cmath>

#include "key_codes.h"
#include "opengl.h"
#include "picking.h"
#include "scene_state.h"
#include "scene_steps.h"
#include "window_frame.h"

lesson loaded_lesson;

namespace {

// Where a pick lands in its window as it stands, in GLUT's pixels from the top left: its pixel, its fraction
// of the window, or where its body's centre shows in the frame the window would draw now, the nearest pixel;
// nothing when that lies outside the window, or before the near plane or beyond the far one.
std::optional<std::array<int, 2>> aim_pick(const start_pick& pick, ship_name window) {
  set_ship_window(window);
  const int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);
  if (pick.aim == pick_aim::pixel) return pick.at;
  if (pick.aim == pick_aim::fraction) return compute_fraction_pixel(pick.fraction, width, height);
  const window_frame frame = query_window_frame(window_states[window].lens, width, height);
  const int viewport[4] = {0, 0, frame.granted.width, frame.granted.height};
  const auto shown = compute_window_point(planet[find_aimable_body(pick.body)]->centre(), ships[window]->pose,
                                          frame.projection.data(), viewport);
  if (!shown) return std::nullopt;
  return compute_shown_pixel(*shown, frame.granted.width, height);
}

// What is said of a pick whose body is not in view.
std::string out_of_view_words(int body, ship_name window) {
  return std::string(body_labels[body]) + " is not in view in the " + ship_titles[window] +
         " window: the state goes on without its pick";
}

}  // namespace

void type_keys(const key_typist& typist, const std::string& keys, int x, int y, ship_name window) {
  typist.place_cameras();
  for (const char key : keys) {
    set_ship_window(window);
    typist.keyboard(static_cast<unsigned char>(key), x, y);
    typist.place_cameras();
  }
  set_ship_window(MOTHER_SHIP);
}

void type_start(const key_typist& typist, const std::string& keys, const std::optional<start_pick>& pick,
                const std::array<std::optional<projection_lens>, 2>& lenses) {
  set_ship_window(MOTHER_SHIP);
  if (!keys.empty())
    type_keys(typist, keys, glutGet(GLUT_WINDOW_WIDTH) / 2, glutGet(GLUT_WINDOW_HEIGHT) / 2, MOTHER_SHIP);
  for (const ship_name window : {MOTHER_SHIP, SCOUT_SHIP})
    if (lenses[window]) window_states[window].lens = *lenses[window];
  if (!pick) return;
  const ship_name window = pick->in_scout ? SCOUT_SHIP : MOTHER_SHIP;
  typist.place_cameras();  // the bodies and the cameras where the keys left them, keys or none
  const std::optional<std::array<int, 2>> at = aim_pick(*pick, window);
  if (!at) {
    set_ship_window(MOTHER_SHIP);
    const std::string why = out_of_view_words(find_aimable_body(pick->body), window);
    keep_pick_not_run(why);
    return say(why);
  }
  type_keys(typist, std::string(1, char(pick->holds_still ? inspect_key : pick_key)), (*at)[0], (*at)[1],
            window);
}

bool reach_lesson_state(const key_typist& typist, int index) {
  if (loaded_lesson.file.empty()) {
    say("F1 to F12 go to a lesson's states: start with --lesson FILE");
    return false;
  }
  const std::optional<lesson_state>& state = loaded_lesson.states[size_t(index)];
  if (!state) {
    say("the lesson has no state on F" + std::to_string(index + 1));
    return false;
  }
  const bool presenters_band = shown.status;
  restore_start_scene();
  forget_pick();
  if (state->numbers) apply_state_numbers(*state->numbers);
  type_start(typist, state->keys, state->pick, state->lenses);
  shown.status = presenters_band;
  lesson_step = state->step;
  lesson_notes = state->notes;
  if (!shown.status && current_notice() == nullptr) say(state->step);
  return true;
}
