// SPDX-License-Identifier: MIT
// The words of the views, each made from what it is handed: the status band's lines, a camera's numbers, the
// last pick's report, a body's chain of transforms, and the names' requests. Nothing here reads the scene's
// state by itself or draws.
#pragma once

#include <string>
#include <vector>

#include "overlay.h"
#include "picking.h"
#include "scene_state.h"

// What the status band says besides its ship: whether that ship is active, whether the scene is paused,
// its rate, the text scale, and the message on the last key that changed nothing (null when none).
struct status_facts {
  bool has_keys;
  bool paused;
  float time_rate;
  int text_scale;
  const char* notice;
  const std::string& lesson_step;
  const std::vector<std::string>& lesson_notes;
};
// The lesson's state last gone to and its notes, then the window's ship, whether it is the active ship, its
// mode and step, the body it follows, "paused", the rate, the scale and the notice, a line each where they
// have something to say.
std::vector<std::string> compute_status_lines(ship_name window, const ship& s, const status_facts& facts);

// What the camera readout says of a window's camera: its mode, where it is (LOOKAT: eye, target and up;
// GEOSYNCH: the body and the distance), the projection call with the window's aspect, the rate, and the
// model-view matrix the frame loads, in rows. With exact_aspect the aspect has four decimals and a line of
// its own says which width over which height it is, so that a student can redo the matrix from it.
std::vector<std::string> compute_camera_lines(ship_name window, const ship& s, const window_state& frame,
                                              float time_rate, bool exact_aspect = false);

// The "u" view's line: what its greys show, with the window's planes.
std::string compute_depth_view_line(double near_distance, double far_distance);

// The "k" band in a window: the last pick's call, records and outcome where it ran, nothing in the other
// window, and before any pick where to press.
std::vector<std::string> compute_kept_pick_lines(const kept_pick& pick, ship_name viewer);

// The body whose chain "t" shows: the one the active ship follows, else the body the last pick chose (null
// for none), else the Sun.
const body& choose_chain_body(const ship& active, const body* picked, const body& sun);
// The "t" band's lines for that body, the bodies named as people know them.
std::vector<std::string> compute_named_chain_lines(const body& b);

// Every body but the star-field (whose centre is the sun's) beside its disc, and the other ship beside its
// model where its camera is, when it has a place; each marked hidden when a body drawn nearer covers it.
// Every body seen from outside keeps the other names off its disc, and Saturn off its rings too. The eye is
// content.camera's; bodies by body_name.
void add_label_requests(overlay_content& content, ship_name viewer, body* const* bodies, const ship& other);
