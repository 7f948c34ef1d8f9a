// SPDX-License-Identifier: MIT
#include "lesson_play.h"

#include <array>

#include "key_codes.h"
#include "opengl.h"
#include "picking.h"
#include "scene_state.h"

lesson loaded_lesson;
std::string lesson_step;

namespace {

void set_window(ship_name window) {
  glutSetWindow(window == MOTHER_SHIP ? glut_mother_ship_window : glut_scout_ship_window);
}

}  // namespace

void type_keys(const key_typist& typist, const std::string& keys, int x, int y, ship_name window) {
  typist.place_cameras();
  for (const char key : keys) {
    set_window(window);
    typist.keyboard(static_cast<unsigned char>(key), x, y);
    typist.place_cameras();
  }
  set_window(MOTHER_SHIP);
}

void type_start(const key_typist& typist, const std::string& keys, const std::optional<start_pick>& pick) {
  set_window(MOTHER_SHIP);
  if (!keys.empty())
    type_keys(typist, keys, glutGet(GLUT_WINDOW_WIDTH) / 2, glutGet(GLUT_WINDOW_HEIGHT) / 2, MOTHER_SHIP);
  if (pick)
    type_keys(typist, std::string(1, char(pick->holds_still ? inspect_key : pick_key)), pick->at[0],
              pick->at[1], pick->in_scout ? SCOUT_SHIP : MOTHER_SHIP);
}

bool reach_lesson_state(const key_typist& typist, int index) {
  // The words are kept, as a notice holds on to what it says.
  static const std::array<std::string, lesson_state_count> no_state = [] {
    std::array<std::string, lesson_state_count> words;
    for (int i = 0; i < lesson_state_count; ++i)
      words[size_t(i)] = "the lesson has no state on F" + std::to_string(i + 1);
    return words;
  }();
  if (loaded_lesson.file.empty()) {
    say("F1 to F12 go to a lesson's states: start with --lesson FILE");
    return false;
  }
  const std::optional<lesson_state>& state = loaded_lesson.states[size_t(index)];
  if (!state) {
    say(no_state[size_t(index)].c_str());
    return false;
  }
  restore_start_scene();
  forget_pick();
  type_start(typist, state->keys, state->pick);
  lesson_step = "F" + std::to_string(index + 1) + ": " + state->title;
  return true;
}
