// SPDX-License-Identifier: MIT
// The last pick kept for the views, and what a pick sends or says.
#include "picking.h"

#include <algorithm>
#include <string>

namespace {

kept_pick kept;

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
  for (body_name each : followable_planets) {
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

// A pick that holds still sends no ship: what it found is only named, and while "k" is off, where to see it.
void hold_still(const selection_records& selection, std::string& outcome) {
  const int picked = compute_nearest_hit(selection.buffer.data(), selection.hits, selection_buffer_size);
  if (picked >= 0 && picked < body_count)
    outcome.assign(demo_body_label(body_name(picked))).append(": inspected, no ship sent");
  else
    outcome.assign(selection.hits < 0 ? "the selection buffer overflowed" : "nothing under the pointer");
  if (!shown.pick) say("inspected: press k to see the pick");
}

}  // namespace

bool admit_pick(const pick_place& where) {
  const std::array<int, 4>& v = where.viewport;
  const int row = compute_gl_row(where.window_height, where.y);  // as the viewport counts
  if (where.x >= v[0] && where.x < v[0] + v[2] && row > v[1] && row <= v[1] + v[3]) return true;
  say("the pointer is outside the window");
  return false;
}

// The report is filled in place: a pick that grew the heap every time, by a buffer copied anew, grew the
// program's memory by a megabyte over 2,000 picks.
void take_pick(ship_name window, const pick_place& where, const selection_records& selection,
               bool holds_still) {
  pick_report& report = kept.report;
  report.x = where.x;
  report.y = where.y;
  report.window_height = where.window_height;
  report.viewport = where.viewport;
  report.hits = selection.hits;
  report.buffer.assign(selection.buffer.begin(), selection.buffer.end());
  std::copy(ships[window]->pose, ships[window]->pose + 16, kept.view.begin());
  kept.projection = where.projection;
  kept.lens = where.lens;
  kept.window = window;
  kept.made = true;
  ++kept.number;
  if (holds_still)
    hold_still(selection, report.outcome);
  else
    follow_picked(selection, report.outcome);
}

const kept_pick& last_pick() { return kept; }

std::optional<chosen_record> last_pick_choice() {
  if (!kept.made) return std::nullopt;
  const pick_report& pick = kept.report;
  return compute_chosen_record(pick.buffer.data(), pick.hits, int(pick.buffer.size()));
}

const body* last_picked_body() {
  const auto chosen = last_pick_choice();
  if (!chosen || chosen->name < unsigned(SUN) || chosen->name >= unsigned(body_count)) return nullptr;
  return planet[chosen->name];
}

void forget_pick() {
  const unsigned long next = kept.number + 1;  // forgetting the pick changes it too
  kept = {};
  kept.number = next;
}

void keep_pick_not_run(const std::string& why) {
  forget_pick();
  kept.not_run = why;
}

void restore_pick(const kept_pick& pick) { kept = pick; }

std::optional<std::array<point3, 5>> demo_pick_volume(ship_name viewer) {
  if (!shown.pick || !shown.volume || !kept.made || kept.window == viewer) return std::nullopt;
  const auto chosen = last_pick_choice();
  const double depth =
      chosen ? compute_selection_distance(chosen->z1, kept.lens.near_distance, kept.lens.far_distance)
             : kept.lens.far_distance;
  return compute_pick_volume(kept.view.data(), kept.projection.data(), kept.report, depth);
}
