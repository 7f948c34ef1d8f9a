// SPDX-License-Identifier: MIT
// The status and names overlays: text over the finished frame that changes nothing else, neither the
// picture around it nor what a pick finds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "demo.h"
#include "gl_test_support.h"
#include "overlay_bands.h"
#include "overlay_board.h"
#include "text_font.h"
#include "view_geometry.h"

namespace {

class Overlays : public GlTest {
 protected:
  static void press(unsigned char key) { gl_test::press(key); }
  static std::vector<unsigned char> frame() { return gl_test::draw_and_read_frame(); }
};

bool is_text(const std::vector<unsigned char>& frame, int x, int y) {
  const size_t i = 3 * (size_t(y) * gl_test::window_size_px + x);
  return frame[i] > 200 && frame[i + 1] > 200 && frame[i + 2] > 100 && frame[i + 2] < 190;  // pale yellow
}

size_t bytes_differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  size_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
  return count;
}

TEST_F(Overlays, ToggledOnAndOffAgainTheFrameIsByteIdentical) {
  frame();  // a context's first frame draws the orbits before Saturn turns line smoothing on
  const std::vector<unsigned char> before = frame();
  for (unsigned char key : {'h', 'n'}) {
    press(key);
    EXPECT_GT(bytes_differing(frame(), before), 0u) << "the overlay of " << key << " shows";
    press(key);
    EXPECT_EQ(bytes_differing(frame(), before), 0u) << "after " << key << " twice";
  }
}

TEST_F(Overlays, StatusSitsTopLeftAndKeysAlongTheBottomAndNothingElseChanges) {
  frame();
  const std::vector<unsigned char> without = frame();
  press('h');
  const std::vector<unsigned char> with = frame();
  constexpr int size = gl_test::window_size_px;
  // Three status lines from the top, the key lines (LOOKAT's under their title, then the commands') up from
  // the bottom, 15 pixels apart.
  const int key_lines = int(compute_wrapped_lines(demo_key_sections(), (size - 2 * 6) / 8).size());
  ASSERT_GE(key_lines, 5);
  const auto in_status = [](int x, int y) { return y >= size - 6 - 3 * 15 - 4 && x < 8 + 8 * 26; };
  const auto in_keys = [&](int y) { return y < 6 + key_lines * 15 + 2; };
  int status_text = 0, key_text = 0, stray = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const size_t i = 3 * (size_t(y) * size + x);
      const bool changed =
          with[i] != without[i] || with[i + 1] != without[i + 1] || with[i + 2] != without[i + 2];
      if (!changed) continue;
      if (in_status(x, y))
        status_text += is_text(with, x, y);
      else if (in_keys(y))
        key_text += is_text(with, x, y);
      else
        ++stray;
    }
  EXPECT_GT(status_text, 100) << "\"Mother Ship, has the keys\" and the mode at the top left";
  EXPECT_GT(key_text, 400) << "four lines of keys along the bottom";
  EXPECT_EQ(stray, 0) << "pixels changed outside the text";
}

TEST_F(Overlays, ABodysNameStandsBesideItsCentre) {
  frame();
  const std::vector<unsigned char> without = frame();
  press('n');
  const std::vector<unsigned char> with = frame();
  const std::array<float, 3> centre = gl_test::window_point(gl_test::body_centre(JUPITER), MOTHER_SHIP);
  ASSERT_TRUE(centre[2] > 0 && centre[2] < 1) << "Jupiter lies in front of the camera";
  const int x = int(centre[0]), y = int(centre[1]);
  // "Jupiter" in 8-pixel letters, from 8 pixels right of and above the centre.
  int text = 0;
  for (int py = y + 8; py < y + 8 + 13; ++py)
    for (int px = x + 8; px < x + 8 + 7 * 8; ++px) text += is_text(with, px, py) && !is_text(without, px, py);
  EXPECT_GT(text, 40) << "near " << x << "," << y;
}

TEST_F(Overlays, PicksFindTheSameBodiesWithTheOverlaysOn) {
  std::vector<gl_test::hit_list> found;
  const int points[][2] = {{256, 256}, {6, 6}, {20, 500}, {300, 280}, {100, 300}, {256, 70}};
  for (const auto& p : points) found.push_back(gl_test::select(p[0], p[1]));
  press('h');
  press('n');
  frame();
  // The overlays' quads, drawn in the selection pass, would leave records of their own.
  for (size_t k = 0; k < found.size(); ++k)
    EXPECT_EQ(gl_test::select(points[k][0], points[k][1]), found[k])
        << "at " << points[k][0] << "," << points[k][1];
}

// The projection of a 512-pixel window at the origin looking down -z, as the frame sets it.
struct test_camera {
  float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double f = 1 / std::tan(35.0 * M_PI / 180), n = 0.1, z = 2000;
  double projection[16] = {f, 0, 0, 0, 0, f, 0, 0, 0, 0, (z + n) / (n - z), -1, 0, 0, 2 * z* n / (n - z), 0};
  int viewport[4] = {0, 0, 512, 512};

  std::vector<placed_label> layout(const std::vector<label_request>& requests,
                                   const std::vector<label_obstacle>& obstacles = {},
                                   const std::vector<window_rect>& reserved = {},
                                   const std::vector<placed_label>& before = {}, int scale = 1) const {
    return compute_label_layout(requests, obstacles, compute_camera_place(view), projection, viewport,
                                reserved, scale, before);
  }
  // Where a point straight ahead shows, and how wide a ball there is, in pixels.
  std::array<double, 3> disc(const std::array<float, 3>& at, float radius) const {
    return {256 + at[0] / -at[2] * f * 256, 256 + at[1] / -at[2] * f * 256,
            radius * f * 256 / std::sqrt(at[0] * at[0] + at[1] * at[1] + at[2] * at[2])};
  }
};

window_rect backing(const placed_label& label) {
  return {label.x - 1, label.y - font_descent_px - 1, label.x + 8 * int(label.text.size()) + 1,
          label.y - font_descent_px + font_glyph_rows + 1};
}

bool meets(const window_rect& r, const std::array<double, 3>& disc) {
  const double x = std::clamp(disc[0], double(r.left), double(r.right));
  const double y = std::clamp(disc[1], double(r.bottom), double(r.top));
  return std::hypot(disc[0] - x, disc[1] - y) < disc[2];
}

// How far a backing lies from a disc's edge; a name must lie nearer its own disc than any other, or at
// least offset pixels from every other.
double apart(const window_rect& r, const std::array<double, 3>& disc) {
  const double x = std::clamp(disc[0], double(r.left), double(r.right));
  const double y = std::clamp(disc[1], double(r.bottom), double(r.top));
  return std::max(0.0, std::hypot(disc[0] - x, disc[1] - y) - disc[2]);
}

std::vector<std::string> texts(const std::vector<placed_label>& placed) {
  std::vector<std::string> names;
  for (const placed_label& each : placed) names.push_back(each.text);
  return names;
}

// At start-up the bodies crowd the middle of the window ("Mercury" would cover "Sun"): the nearer body's
// name goes beside it, the other's moves away on a leader from its body, no name crosses another, and none
// sits on or is led across a band.
TEST(LabelLayout, OfTwoCrowdedNamesTheFartherMovesAwayOnALeaderAndNoneTouchesABand) {
  const test_camera camera;
  const std::vector<label_request> requests = {{"Far", {0.2f, 0.1f, -20}}, {"Near", {0.1f, 0, -10}}};
  const std::vector<placed_label> placed = camera.layout(requests);
  ASSERT_EQ(texts(placed), (std::vector<std::string>{"Near", "Far"}));
  EXPECT_EQ(placed[0].x, int(camera.disc(requests[1].world, 0)[0]) + 8);
  EXPECT_FALSE(placed[0].has_leader);
  ASSERT_TRUE(placed[1].has_leader);
  const std::array<double, 3> far = camera.disc(requests[0].world, 0);
  EXPECT_NEAR(placed[1].leader[0], far[0], 1);
  EXPECT_NEAR(placed[1].leader[1], far[1], 1);
  const window_rect a = backing(placed[0]), b = backing(placed[1]);
  EXPECT_FALSE(a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top);
  EXPECT_TRUE(camera.layout({requests[1]}, {}, {{0, 200, 512, 300}}).empty());
}

// "Venus" was written across the Sun's disc and "Moon" across Saturn's rings: no name may cover a disc or
// ring that is not its own body's. A hidden body gets no name.
TEST(LabelLayout, NoNameCoversAnotherBodysDisc) {
  const test_camera camera;
  const std::vector<label_request> requests = {
      {"Venus", {-1.6f, 0, -20}, 0.4f},
      {"Sun", {0, 0, -20}, 1},
      {"Behind", {0, 0, -40}, 1, true},
      {"Hidden", {4, -4, -20}, 0.4f, true}};  // in the open, where only its hiding keeps its name out
  std::vector<label_obstacle> obstacles;
  for (size_t r = 0; r < requests.size(); ++r)
    obstacles.push_back({requests[r].world, requests[r].radius, r});
  const std::vector<placed_label> placed = camera.layout(requests, obstacles);
  ASSERT_EQ(texts(placed), (std::vector<std::string>{"Venus", "Sun"}));
  for (const placed_label& label : placed)
    for (size_t r = 0; r < requests.size(); ++r)
      if (r != label.request) {
        EXPECT_FALSE(meets(backing(label), camera.disc(requests[r].world, requests[r].radius)))
            << label.text << " over " << requests[r].text;
      }
  EXPECT_TRUE(placed[0].has_leader) << "right of Venus lies the Sun";
  // A name set away on a leader keeps off its own body's rings too; only beside its disc may it lie on them.
  // A band right of the body keeps the name from its side, so that it goes out past the rings.
  std::vector<label_obstacle> rings = {{{0, 0, -20}, 0.5f, 0}};
  for (int k = 0; k < 16; ++k)
    rings.push_back({{2.5f * std::cos(k * 0.3927f), 2.5f * std::sin(k * 0.3927f), -20}, 0.6f, 0});
  const std::vector<placed_label> ringed =
      camera.layout({{"Ringed", {0, 0, -20}, 0.5f}}, rings, {{273, 260, 326, 278}});
  ASSERT_EQ(ringed.size(), 1u);
  EXPECT_TRUE(ringed[0].has_leader);
  for (const label_obstacle& part : rings)
    EXPECT_FALSE(meets(backing(ringed[0]), camera.disc(part.centre, part.radius)))
        << "over its own ring at " << part.centre[0] << "," << part.centre[1];
}

// At a text scale a name is drawn scale times larger: laid out at its size in text pixels, a crowd of names
// would be drawn over each other, over the band and over other bodies' discs.
TEST(LabelLayout, AtTextScaleThreeNamesAsDrawnKeepClearOfEachOtherTheBandAndOtherDiscs) {
  const test_camera camera;
  std::vector<label_request> requests;
  std::vector<label_obstacle> obstacles;
  for (int k = 0; k < 8; ++k) {
    requests.push_back(
        {"Body" + std::to_string(k), {3 * std::cos(k * 0.785f), 3 * std::sin(k * 0.785f), -20}, 0.3f});
    obstacles.push_back({requests.back().world, 0.3f, size_t(k)});
  }
  const window_rect band = {0, 400, 512, 512};
  const std::vector<placed_label> placed = camera.layout(requests, obstacles, {band}, {}, 3);
  ASSERT_GE(placed.size(), 4u);
  std::vector<text_block> blocks;
  add_name_blocks(blocks, placed, 3);
  std::vector<window_rect> drawn = {band};
  constexpr int gap = 3 * 2, offset = 3 * 8, leader_step = 3 * 16;  // two, eight and sixteen text pixels
  for (size_t i = 0; i < blocks.size(); ++i) {
    const text_block& b = blocks[i];
    const window_rect at = {b.left, b.bottom, b.left + 3 * b.width, b.bottom + 3 * b.height};
    EXPECT_EQ(at.left, placed[i].x - 3) << "the image on its backing, a text pixel beyond the text";
    EXPECT_EQ(at.bottom, placed[i].y - 3 * font_descent_px - 3);
    for (const window_rect& other : drawn)
      EXPECT_FALSE(at.left - gap < other.right && other.left < at.right + gap &&
                   at.bottom - gap < other.top && other.bottom < at.top + gap)
          << placed[i].text << " keeps its gap";
    drawn.push_back(at);
    const std::array<double, 3> own = camera.disc(requests[placed[i].request].world, 0.3f);
    if (placed[i].has_leader) {
      const std::array<int, 4>& l = placed[i].leader;
      EXPECT_GE(std::hypot(l[2] - l[0], l[3] - l[1]), offset + leader_step - 2)
          << placed[i].text << "'s leader";
    }
    for (size_t r = 0; r < requests.size(); ++r) {
      if (r == placed[i].request) continue;
      const std::array<double, 3> disc = camera.disc(requests[r].world, requests[r].radius);
      EXPECT_FALSE(meets(at, disc)) << placed[i].text << " over " << requests[r].text;
      EXPECT_GT(apart(at, disc), std::min(apart(at, own), double(offset)))
          << placed[i].text << " beside " << requests[r].text;
    }
  }
  // No leader touches or crosses another, nor passes over another name: sampled along each, a third of a
  // pixel apart, against the other's backing and the other leader's points.
  const auto along = [](const std::array<int, 4>& l, double t) {
    return std::array<double, 2>{l[0] + t * (l[2] - l[0]), l[1] + t * (l[3] - l[1])};
  };
  for (size_t i = 0; i < placed.size(); ++i)
    for (size_t k = 0; k < placed.size(); ++k) {
      if (i == k || !placed[i].has_leader) continue;
      const window_rect other = {blocks[k].left, blocks[k].bottom, blocks[k].left + 3 * blocks[k].width,
                                 blocks[k].bottom + 3 * blocks[k].height};
      const std::array<int, 4>& l = placed[i].leader;
      const int samples = 3 * int(std::hypot(l[2] - l[0], l[3] - l[1])) + 1;
      for (int n = 0; n <= samples; ++n) {
        const std::array<double, 2> p = along(l, double(n) / samples);
        EXPECT_FALSE(p[0] >= other.left && p[0] < other.right && p[1] >= other.bottom && p[1] < other.top)
            << placed[i].text << "'s leader over " << placed[k].text;
        if (!placed[k].has_leader) continue;
        const std::array<int, 4>& m = placed[k].leader;
        const int others = 3 * int(std::hypot(m[2] - m[0], m[3] - m[1])) + 1;
        for (int q = 0; q <= others; ++q) {
          const std::array<double, 2> o = along(m, double(q) / others);
          EXPECT_GT(std::hypot(p[0] - o[0], p[1] - o[1]), 0.5) << placed[i].text << " and " << placed[k].text;
        }
      }
    }
  // A band four pixels above a name's place is within its gap, six pixels at this scale: the name moves.
  const std::vector<label_request> one = {requests[0]};
  const std::vector<placed_label> alone = camera.layout(one, {}, {}, {}, 3);
  std::vector<text_block> own;
  add_name_blocks(own, alone, 3);
  ASSERT_EQ(own.size(), 1u);
  const int top = own[0].bottom + 3 * own[0].height;
  const std::vector<placed_label> moved = camera.layout(one, {}, {{0, top + 4, 512, top + 60}}, {}, 3);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_NE(moved[0].slot, alone[0].slot);
  const std::vector<placed_label> stays = camera.layout(one, {}, {{0, top + 6, 512, top + 60}}, {}, 3);
  ASSERT_EQ(stays.size(), 1u);
  EXPECT_EQ(stays[0].slot, alone[0].slot) << "a band just its gap away leaves the name where it was";
}

// A planet passing beside the camera reaches behind its near plane: counted as covering the whole window, it
// took every name away. Only a ball that could cover a name's place keeps it off.
TEST(LabelLayout, ABallBesideTheCameraKeepsNoNameAwayOneAroundTheLineOfSightDoes) {
  const test_camera camera;
  const std::vector<label_request> sun = {{"Sun", {0, 0, -20}, 1}};
  EXPECT_EQ(texts(camera.layout(sun, {{{10, 0, -0.5f}, 3, 1}})), std::vector<std::string>{"Sun"});
  EXPECT_EQ(texts(camera.layout(sun, {{{0, 0, 4}, 4.5f, 1}})), std::vector<std::string>{})
      << "a ball round the eye may cover any place";
  // A ball wholly before the near plane is not drawn, wherever the keys put that plane, and covers nothing;
  // one whose centre lies before it but which reaches past it is drawn in part, and covers what it draws.
  test_camera pushed;
  pushed.n = 10;
  pushed.projection[10] = (pushed.z + pushed.n) / (pushed.n - pushed.z);
  pushed.projection[14] = 2 * pushed.z * pushed.n / (pushed.n - pushed.z);
  const std::vector<label_obstacle> cut_away = {{{0.5f, 0, -5}, 2, 1}};
  EXPECT_EQ(texts(camera.layout(sun, cut_away)), std::vector<std::string>{}) << "drawn, it covers the Sun";
  EXPECT_EQ(texts(pushed.layout(sun, cut_away)), std::vector<std::string>{"Sun"});
  EXPECT_EQ(texts(pushed.layout(sun, {{{0.5f, 0, -9}, 3, 1}})), std::vector<std::string>{});
}

// Names came and went every few hundred milliseconds: placement started afresh each frame, nearest first.
// A name of the last frame keeps its place though a nearer newcomer would take it.
TEST(LabelLayout, ANameShownLastFrameKeepsItsPlaceThoughANearerNewcomerWouldTakeIt) {
  const test_camera camera;
  const std::vector<label_request> requests = {{"Far", {0.2f, 0.1f, -20}}, {"Near", {0.1f, 0, -10}}};
  const std::vector<placed_label> alone = camera.layout({requests[0]});
  ASSERT_EQ(alone.size(), 1u);
  const std::vector<placed_label> placed = camera.layout(requests, {}, {}, alone);
  ASSERT_EQ(texts(placed), (std::vector<std::string>{"Far", "Near"}));
  EXPECT_EQ(placed[0].x, alone[0].x);
  EXPECT_EQ(placed[0].y, alone[0].y);
  // A body that comes two pixels into it does not move it yet, though a newcomer keeps clear of it.
  const window_rect at = backing(alone[0]);
  const double per_px = 20 / (camera.f * 256), radius = 10 * per_px;
  const std::array<float, 3> centre = {float((at.right + 8 - 256) * per_px),
                                       float(((at.bottom + at.top) / 2.0 - 256) * per_px), -20};
  const std::vector<label_obstacle> body = {{centre, float(radius), 5}};
  ASSERT_TRUE(meets(at, camera.disc(centre, float(radius))));
  ASSERT_FALSE(
      meets({at.left + 3, at.bottom + 3, at.right - 3, at.top - 3}, camera.disc(centre, float(radius))));
  const std::vector<placed_label> kept = camera.layout({requests[0]}, body, {}, alone);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].x, alone[0].x);
  const std::vector<placed_label> newcomer = camera.layout({requests[0]}, body);
  ASSERT_EQ(newcomer.size(), 1u);
  EXPECT_NE(newcomer[0].slot, alone[0].slot);
  // A body that comes onto a kept name's leader moves it, as it would keep a newcomer away.
  const std::vector<placed_label> crowded = camera.layout(requests);
  ASSERT_TRUE(crowded.size() == 2 && crowded[1].has_leader);
  const std::array<int, 4>& l = crowded[1].leader;
  const std::array<float, 3> on_leader = {float(((l[0] + l[2]) / 2.0 - 256) * per_px),
                                          float(((l[1] + l[3]) / 2.0 - 256) * per_px), -20};
  const std::vector<placed_label> led =
      camera.layout(requests, {{on_leader, float(2 * per_px), 7}}, {}, crowded);
  const auto far =
      std::find_if(led.begin(), led.end(), [](const placed_label& p) { return p.text == "Far"; });
  EXPECT_TRUE(far == led.end() || far->slot != crowded[1].slot) << "Far's leader left across a body";
  // Two names at pixels of the window: A kept where it was, B new beside it.
  const auto at_pixel = [&](const char* text, double x, double y) {
    return label_request{text, {float((x - 256) * per_px), float((y - 256) * per_px), -20}};
  };
  const auto right_of_its_point = [](const placed_label& p, int x, int y, int scale) {
    return p.x == x + 8 * scale && p.y == y + 8 * scale;
  };
  // A kept on its longest leader up and to the right: B's place right of its point lies across that
  // leader, though well clear of A's name, and B goes elsewhere.
  const placed_label a_led = {0, "A", 0, 0, 2 + 8 * 3, false, {}};
  const std::vector<placed_label> crossed =
      camera.layout({at_pixel("A", 256.5, 256.5), at_pixel("B", 276.5, 258.5)}, {}, {}, {a_led});
  ASSERT_EQ(texts(crossed), (std::vector<std::string>{"A", "B"}));
  ASSERT_TRUE(crossed[0].has_leader);
  EXPECT_FALSE(right_of_its_point(crossed[1], 276, 258, 1)) << "B's name across A's leader";
  // At text scale 3 a newcomer keeps three times the room from a kept name: B right of its point would be
  // 30 pixels from A's name, within the 42 of 3 x (2 + 12).
  const placed_label a_beside = {0, "A", 0, 0, 0, false, {}};
  const std::vector<placed_label> roomy =
      camera.layout({at_pixel("A", 256.5, 256.5), at_pixel("B", 316.5, 256.5)}, {}, {}, {a_beside}, 3);
  ASSERT_EQ(texts(roomy), (std::vector<std::string>{"A", "B"}));
  ASSERT_TRUE(right_of_its_point(roomy[0], 256, 256, 3));
  EXPECT_FALSE(right_of_its_point(roomy[1], 316, 256, 3)) << "B within the scaled newcomer's gap";
}

// Where a body's disc shows in a window's latest frame: its centre and radius in pixels, as the frame's own
// projection gives them (radius 0 when the centre lies behind the camera).
std::array<double, 3> drawn_disc(body_name b, ship_name viewer) {
  const window_state& window = demo_window(viewer);
  const int viewport[4] = {0, 0, window.width, window.height};
  const std::array<float, 3> centre = gl_test::body_centre(b);
  const auto at = compute_window_point(centre, ships[viewer]->pose, window.projection.data(), viewport);
  if (!at) return {0, 0, 0};
  const std::array<double, 3> eye = ships[viewer]->locate_camera().eye;
  const double distance = std::hypot(centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]);
  return {(*at)[0], (*at)[1], planet[b]->radius * window.projection[0] * window.width / 2 / distance};
}

// At start-up "Venus" was written across the Sun, "Moon" across Earth, and the Sun, Mercury and Earth went
// unnamed. In both windows every body now has its name, drawn where the layout put it, on no other body's
// disc, and a name set away from its body is led from that body's disc.
TEST_F(Overlays, AtStartUpEveryBodyIsNamedAndNoNameLiesOnAnotherBodysDisc) {
  press('n');
  for (const ship_name viewer : {MOTHER_SHIP, SCOUT_SHIP}) {
    gl_test::make_current(viewer == MOTHER_SHIP ? gl_test::mother_window() : gl_test::scout_window());
    frame();
    const std::vector<unsigned char> with = frame();
    std::vector<std::string> named;
    for (const placed_label& label : demo_overlay(viewer).names) {
      named.push_back(label.text);
      const window_rect at = backing(label);
      int text = 0;
      for (int y = at.bottom; y < at.top; ++y)
        for (int x = at.left; x < at.right; ++x) text += is_text(with, x, y);
      EXPECT_GT(text, 10 * int(label.text.size())) << label.text << " is drawn where it was placed";
      for (int b = SUN; b < body_count; ++b) {
        const std::array<double, 3> disc = drawn_disc(body_name(b), viewer);
        if (label.text == demo_body_label(body_name(b))) {
          if (label.has_leader) {
            EXPECT_NEAR(std::hypot(label.leader[0] - disc[0], label.leader[1] - disc[1]), disc[2], 2)
                << label.text << "'s leader starts on its disc";
          }
        } else {
          EXPECT_FALSE(meets(at, disc)) << label.text << " on " << demo_body_label(body_name(b));
        }
      }
    }
    // In the crowd round the Sun a name with no place read as its own body's is left out: one or two.
    EXPECT_GE(named.size(), size_t(body_count - 1 - 2)) << "in window " << viewer;
  }
  gl_test::make_current(gl_test::mother_window());
}

// Seen from beyond the Sun, Jupiter and the scout ship lie behind its edge, where their names would find a
// free place: the Sun hides as every body does, and the other ship's name is hidden as a body's is. So does
// the near plane, wherever the keys put it.
TEST_F(Overlays, ABodyAndTheOtherShipBehindTheSunsEdgeGetNoName) {
  for (const unsigned char key : {'p', 'n'}) press(key);
  gl_test::draw_frame();
  const std::array<float, 3> j = gl_test::body_centre(JUPITER);
  const float length = std::hypot(j[0], j[2]), aside = 6;  // the Sun's edge passes 3 from the line of sight
  const std::array<float, 3> eye = {-j[0] - aside * j[2] / length, 0, -j[2] + aside * j[0] / length};
  for (int i = 0; i < 3; ++i) {
    ships[MOTHER_SHIP]->eye[i] = eye[i];
    ships[MOTHER_SHIP]->origin[i] = 0;
    ships[SCOUT_SHIP]->eye[i] = eye[i] + 0.75f * (j[i] - eye[i]);  // between the Sun and Jupiter
  }
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();
  gl_test::make_current(gl_test::mother_window());
  gl_test::draw_frame();
  std::vector<std::string> named;
  for (const placed_label& label : demo_overlay(MOTHER_SHIP).names) named.push_back(label.text);
  EXPECT_NE(std::find(named.begin(), named.end(), "Sun"), named.end()) << "the names are on";
  for (const char* hidden : {"Jupiter", ship_titles[SCOUT_SHIP]})
    EXPECT_EQ(std::find(named.begin(), named.end(), hidden), named.end()) << hidden;
  // The near plane pushed past everything leaves nothing drawn, so nothing named or ringed.
  for (int doubling = 0; doubling < 14; ++doubling) press('}');
  press('t');
  gl_test::draw_frame();
  const window_state& window = demo_window(MOTHER_SHIP);
  const int viewport[4] = {0, 0, window.width, window.height};
  EXPECT_EQ(demo_overlay(MOTHER_SHIP).names.size(), 0u);
  EXPECT_EQ(compute_body_ring(gl_test::body_centre(SUN), 4, ships[MOTHER_SHIP]->pose,
                              window.projection.data(), viewport),
            std::vector<float>{});
}

// Following Earth at distance 2, Earth's surface fills the window and hides every other body, though the eye
// lies inside its true sphere: "Moon" and "Jupiter" were written on it. No other name may show, frame after
// frame as the Moon passes behind.
TEST_F(Overlays, FollowingEarthCloseNoOtherBodysNameIsWrittenOnIt) {
  for (const unsigned char key : {'g', 'w', 'w', 'w', 'n'}) press(key);
  std::string others;
  for (int tick = 0; tick < 150; ++tick) {
    demo_idle(compute_timer_step_s(default_timer_period_ms));
    gl_test::draw_frame();
    for (const placed_label& label : demo_overlay(MOTHER_SHIP).names)
      if (label.text != "Earth") others += label.text + " at tick " + std::to_string(tick) + "; ";
  }
  EXPECT_EQ(others, "");
  EXPECT_GT(planet[EARTH]->radius, 1.9f) << "the eye lies inside Earth's true sphere";
}

// The key band was cut mid-word ("a b c/A B C: ta") in narrow windows.
TEST_F(Overlays, TheKeyBandWrapsBetweenWordsToA200PixelWindow) {
  constexpr int columns = (200 - 2 * 2) / 8;
  std::string all_items;
  for (const auto& section : demo_key_sections())
    for (const std::string& item : section) all_items += item + " ";
  std::string all_lines;
  for (const std::string& line : compute_wrapped_lines(demo_key_sections(), columns)) {
    EXPECT_LE(line.size(), size_t(columns)) << line;
    all_lines += line + " ";
  }
  const auto words = [](const std::string& text) {
    std::istringstream in(text);
    return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
  };
  EXPECT_EQ(words(all_lines), words(all_items)) << "every word whole and in order";
}

// The glyph table stands in for freeglut's font, so it must hold exactly what freeglut draws.
TEST_F(Overlays, TheGlyphTableDrawsWhatFreegluts8x13FontDraws) {
  constexpr int cell_w = 8, cell_h = 24, baseline = 8;  // cells taller than the font show stray rows
  gl_test::make_current(gl_test::mother_window());
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, gl_test::window_size_px, 0, gl_test::window_size_px);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  const auto cell = [&](int c) { return std::array<int, 2>{c % 32 * (cell_w + 4), c / 32 * cell_h}; };
  for (int c = font_first_char; c <= font_last_char; ++c) {
    glRasterPos2i(cell(c)[0], cell(c)[1] + baseline);
    glutBitmapCharacter(GLUT_BITMAP_8_BY_13, c);
  }
  const std::vector<unsigned char> drawn = gl_test::read_frame();
  glEnable(GL_DEPTH_TEST);
  std::string wrong;
  for (int c = font_first_char; c <= font_last_char; ++c)
    for (int row = 0; row < cell_h; ++row)
      for (int column = 0; column < cell_w; ++column) {
        const size_t i = 3 * (size_t(cell(c)[1] + row) * gl_test::window_size_px + cell(c)[0] + column);
        const bool lit = drawn[i] > 127;
        if (lit != font_pixel(c, column, row - baseline + font_descent_px)) {
          wrong += char(c);
          row = cell_h;
          break;
        }
      }
  EXPECT_EQ(wrong, "") << "characters whose table glyph differs from freeglut's";
}

// A key that changes nothing anyone can see says why, for three seconds, in the status band: a pick of what
// cannot be followed, a digit outside GEOSYNCH, "." while the scene runs.
TEST_F(Overlays, EveryKeyThatChangesNothingSaysWhyForThreeSeconds) {
  const auto said = [] {
    std::string text;
    for (const std::string& line : demo_status_lines(MOTHER_SHIP)) text += line + "|";
    return text;
  };
  frame();
  press(' ');  // the sun lies under the window's centre at start-up
  EXPECT_NE(said().find("the Sun is never followed"), std::string::npos) << said();
  demo_keyboard(' ', 3, 3);  // the star-field, which holds the camera, lies under every pixel
  EXPECT_NE(said().find("only the star-field is under the pointer"), std::string::npos) << said();
  press('3');
  EXPECT_NE(said().find("digits choose a planet to follow in GEOSYNCH: press g first"), std::string::npos);
  press(lesson_key(4));
  EXPECT_NE(said().find("start with --lesson FILE"), std::string::npos) << said();
  loaded_lesson = compute_lesson("[F1]\ntitle = t\nkeys = n\n", "a.lesson", demo_refuse_typed_key).read;
  press(lesson_key(4));
  EXPECT_NE(said().find("the lesson has no state on F5"), std::string::npos) << said();
  press('.');
  EXPECT_NE(said().find("press p to pause first"), std::string::npos) << said();
  EXPECT_EQ(demo_board_text().message, current_notice()) << "the board's foot says it too";
  frozen = true;  // the message's time runs while the scene is paused too
  for (int tick = 0; tick < 89; ++tick) demo_idle(compute_timer_step_s(default_timer_period_ms));
  EXPECT_NE(said().find("press p to pause first"), std::string::npos) << "after 89 ticks";
  demo_idle(compute_timer_step_s(default_timer_period_ms));
  EXPECT_EQ(said().find("press p"), std::string::npos) << said();
  // Beside a narrow window, where the pointer can be while the window keeps the keyboard, the frustum goes on
  // beyond the picture: a region there finds Pluto, which the window does not show.
  ASSERT_TRUE(gl_test::resize_window(gl_test::mother_window(), 100, 512));
  gl_test::draw_frame();
  demo_keyboard(' ', -62, 333);
  EXPECT_NE(said().find("the pointer is outside the window"), std::string::npos) << said();
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT) << "no ship sent after what the window does not show";
}

// With the status band off, the word still shows, on a line of its own at the top left.
TEST_F(Overlays, TheWordShowsWithTheStatusBandOff) {
  frame();
  const std::vector<unsigned char> quiet = frame();
  press('3');
  const std::vector<unsigned char> told = frame();
  int text = 0, elsewhere = 0;
  for (int y = 0; y < gl_test::window_size_px; ++y)
    for (int x = 0; x < gl_test::window_size_px; ++x) {
      const size_t i = 3 * (size_t(y) * gl_test::window_size_px + x);
      if (std::equal(&told[i], &told[i + 3], &quiet[i])) continue;
      (y >= gl_test::window_size_px - 30 ? text : elsewhere) += is_text(told, x, y);
    }
  EXPECT_GT(text, 200);
  EXPECT_EQ(elsewhere, 0);
}

// Behind a band's backing the scene keeps too little light to cross the text: the white orbit rings that
// pass behind the bands stay dim there.
TEST_F(Overlays, NothingBehindABandShowsBrightThroughIt) {
  frame();
  const std::vector<unsigned char> without = frame();
  press('h');
  press('i');
  const std::vector<unsigned char> with = frame();
  int behind = 0, brightest = 0;
  for (int y = 0; y < gl_test::window_size_px; ++y)
    for (int x = 0; x < gl_test::window_size_px; ++x) {
      const size_t i = 3 * (size_t(y) * gl_test::window_size_px + x);
      const bool white_ring = without[i] > 200 && without[i + 1] > 200 && without[i + 2] > 200;
      if (!white_ring || is_text(with, x, y) || std::equal(&with[i], &with[i + 3], &without[i])) continue;
      ++behind;
      brightest = std::max({brightest, int(with[i]), int(with[i + 1]), int(with[i + 2])});
    }
  EXPECT_GT(behind, 50) << "rings pass behind the bands";
  EXPECT_LE(brightest, 45);
}

// A small window is where the bands can vanish, come out blank or cover the scene. Both bands must show,
// each within its share of the height, at every text scale; the names must show too; and no GL call may fail.
class SmallWindows : public Overlays, public testing::WithParamInterface<std::array<int, 3>> {
 protected:
  void TearDown() override {
    text_scale = 1;
    resize(gl_test::window_size_px, gl_test::window_size_px);
    Overlays::TearDown();
  }
  static bool resize(int width, int height) {
    const bool resized = gl_test::resize_window(gl_test::mother_window(), width, height);
    gl_test::make_current(gl_test::mother_window());
    return resized;
  }
  std::vector<unsigned char> window_frame(int width, int height) {
    gl_test::draw_frame();
    std::vector<unsigned char> pixels(size_t(3) * width * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
};

TEST_P(SmallWindows, BothBandsShowWithinTheirShareOfTheHeightAndNamesShowToo) {
  const int width = GetParam()[0], height = GetParam()[1];
  text_scale = GetParam()[2];
  ASSERT_TRUE(resize(width, height));
  window_frame(width, height);
  const std::vector<unsigned char> without = window_frame(width, height);
  press('h');
  const std::vector<unsigned char> with = window_frame(width, height);
  int status_text = 0, key_text = 0, stray = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = 3 * (size_t(y) * width + x);
      const bool text = with[i] > 200 && with[i + 1] > 200 && with[i + 2] > 100 && with[i + 2] < 190;
      if (std::equal(&with[i], &with[i + 3], &without[i])) continue;
      if (y >= height - height / 2)
        status_text += text;
      else if (y < height / 3)
        key_text += text;
      else
        ++stray;
    }
  EXPECT_GT(status_text, 30) << "the status band at the top";
  EXPECT_GT(key_text, 30) << "the key band at the bottom";
  EXPECT_EQ(stray, 0) << "pixels changed between the bands";
  press('h');
  press('n');
  const std::vector<unsigned char> named = window_frame(width, height);
  EXPECT_NE(named, without) << "names shown";
}

// A text texture as wide as the window would fail to upload beyond the driver's largest texture and, recorded
// as done, leave the text wrong for the rest of the run. Every width must draw without a GL error (checked
// after the test) and show the status band, before and after the widest.
TEST_F(SmallWindows, EveryWidthDrawsItsTextWithoutAGlError) {
  press('h');
  press('n');
  for (const int width : {1, 128, 16385, 32767, 300}) {
    ASSERT_TRUE(resize(width, 60)) << width;
    const std::vector<unsigned char> pixels = window_frame(width, 60);
    int text = 0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
      text += pixels[i] > 200 && pixels[i + 1] > 200 && pixels[i + 2] > 100 && pixels[i + 2] < 190;
    if (width > 100) {
      EXPECT_GT(text, 30) << "at " << width << " pixels wide";
    }
  }
}

// The glyph pixels of lines of text, as the font table holds them.
int glyph_pixels(const std::vector<std::string>& lines) {
  int count = 0;
  for (const std::string& line : lines)
    for (const char c : line)
      for (int row = 0; row < font_glyph_rows; ++row)
        for (int column = 0; column < font_glyph_width_px; ++column)
          count += font_pixel(static_cast<unsigned char>(c), column, row);
  return count;
}

// Text pixels that the overlays drew in the rows from bottom to top.
int text_drawn(const std::vector<unsigned char>& with, const std::vector<unsigned char>& without, int width,
               int bottom, int top) {
  int count = 0;
  for (int y = bottom; y < top; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = 3 * (size_t(y) * width + x);
      count += with[i] > 200 && with[i + 1] > 200 && with[i + 2] > 100 && with[i + 2] < 190 &&
               !std::equal(&with[i], &with[i + 3], &without[i]);
    }
  return count;
}

// The bands' text sat 4 pixels low: in a window under 256 pixels the last line lost the bottom row of its
// descenders ("LOOKAT, step 1" drew 555 of its 556 glyph pixels). Every glyph pixel must be inside, at every
// text scale as a block of scale x scale, the lines wrapped to the window's width in text pixels; the band
// says a scale that is not 1.
TEST_F(SmallWindows, EveryGlyphRowOfTheStatusBandIsDrawn) {
  for (const int scale : {1, 2}) {
    text_scale = scale;
    const int size = 200 * scale;
    ASSERT_TRUE(resize(size, size));
    press('h');
    const std::vector<unsigned char> with = window_frame(size, size);
    press('h');
    const std::vector<unsigned char> without = window_frame(size, size);
    std::vector<std::string> cut;
    const int columns = (200 - 2 * 2) / font_glyph_width_px;  // a 2-pixel margin below 256 text pixels
    for (const std::string& line : demo_status_lines(MOTHER_SHIP))
      cut.push_back(compute_cut_line(line, columns));
    EXPECT_EQ(text_drawn(with, without, size, size / 2, size), scale * scale * glyph_pixels(cut))
        << "at scale " << scale;
    EXPECT_EQ(demo_status_lines(MOTHER_SHIP).back() == "text scale 2", scale == 2) << "the band says it";
  }
}

// The driver cuts a viewport wider than its largest; text laid out for the whole width then loses glyph
// columns ("kɘys", "_OOKAT"). The status band must draw as it does at 300.
TEST_F(SmallWindows, AWindowWiderThanTheLargestViewportKeepsItsTextWhole) {
  GLint largest[2];
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
  const int wide = largest[0] + 3000;
  std::array<int, 2> drawn = {};
  for (const int width : {300, wide}) {
    ASSERT_TRUE(resize(width, 60)) << width;
    press('h');
    const std::vector<unsigned char> with = window_frame(width, 60);
    press('h');
    drawn[width == wide] = text_drawn(with, window_frame(width, 60), width, 30, 60);
  }
  EXPECT_GT(drawn[0], 100);
  EXPECT_EQ(drawn[1], drawn[0]);
  // -geometry may ask for as many pixels as the largest viewport holds, in any shape, and not one more.
  const granted_viewport most = demo_largest_viewport();
  for (const auto& [width, height, drawable] : {std::tuple{largest[0], largest[1], true},
                                                {largest[0] + 1, largest[1], false},
                                                {largest[0], largest[1] + 1, false},
                                                {2 * largest[0], largest[1] / 2, true},
                                                {wide, 60, true}})
    EXPECT_EQ(compute_drawable(width, height, most), drawable) << width << "x" << height;
}

// A band is made line by line, so that a number moving every tick makes only its own line again; drawn, it
// must be exactly the picture of all its lines made at once: each glyph row in place, the lines in order.
TEST_F(Overlays, ABandMadeLineByLineDrawsAsItsLinesMadeAtOnceAndAChangedLineAloneIsMadeAgain) {
  gl_test::make_current(gl_test::mother_window());
  constexpr int size = gl_test::window_size_px;
  window_text by_line, at_once;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &by_line.max_texture_px);
  at_once.max_texture_px = by_line.max_texture_px;
  // Tall glyphs and descenders meet where one line's strip ends and the next begins.
  band_text text;
  text.status = {"gjpqy_ {[|]} Qgjy", "|([{}])| _gjpqy_", "{|} 0.9999 (|) jy"};
  int made = 0;
  window_rect band{};
  const auto draw_by_line = [&] {
    std::vector<text_block> blocks;
    const std::vector<window_rect> lines = add_bands(blocks, text, size, size, size, 0, 1);
    band = {0, lines.back().bottom, lines.front().right, lines.front().top};
    for (text_block& block : blocks) block.make = [&made, make = block.make] { return ++made, make(); };
    glClear(GL_COLOR_BUFFER_BIT);
    draw_text_blocks(by_line, blocks, 1, size, size);
    return gl_test::read_frame();
  };
  const std::vector<unsigned char> drawn = draw_by_line();
  const int lines = int(text.status.size()), height = band.top - band.bottom;
  const int margin = (height - (lines - 1) * text_line_px - glyph_height_px) / 2;
  const std::vector<std::string> status = text.status;
  const text_block whole = {0, "", band.right, height, 0, band.bottom, [&] {
                              text_image image(band.right, height, backing_alpha);
                              image.add_lines(status, margin,
                                              height - margin - glyph_height_px + glyph_descent_px);
                              return image;
                            }};
  glClear(GL_COLOR_BUFFER_BIT);
  draw_text_blocks(at_once, {whole}, 1, size, size);
  EXPECT_EQ(bytes_differing(drawn, gl_test::read_frame()), 0u);
  // A mark across the band (a ring, a pick's outline) goes under the text: no glyph pixel is lost to it.
  const float across = float(band.bottom + height / 2);
  glClear(GL_COLOR_BUFFER_BIT);
  draw_text_blocks(at_once, {whole}, 1, size, size, {}, {0, across, float(size), across});
  const std::vector<unsigned char> marked = gl_test::read_frame();
  size_t glyph_bytes = 0, lost = 0;
  for (size_t i = 0; i < drawn.size(); ++i)
    if (drawn[i] > 200) ++glyph_bytes, lost += marked[i] < 200;
  EXPECT_GT(glyph_bytes, 300u);
  EXPECT_EQ(lost, 0u);
  EXPECT_EQ(made, lines);
  made = 0;
  text.status[1] = "a changed line";
  draw_by_line();
  EXPECT_EQ(made, 1) << "only the changed line is made again";
  // A band that widens keeps its rows: its unchanged lines must be made again at the new width, as a fresh
  // texture makes them, not kept at the old one (whose texels beyond it hold nothing: seen over grey).
  glClearColor(0.5f, 0.5f, 0.5f, 1);
  window_text fresh;
  fresh.max_texture_px = by_line.max_texture_px;
  text.status[0] = "a first line, wider yet within";  // the texture, 256 texels wide, holds it still
  EXPECT_EQ(bytes_differing(draw_by_line(),
                            [&] {
                              std::swap(by_line, fresh);
                              const std::vector<unsigned char> drawn_fresh = draw_by_line();
                              std::swap(by_line, fresh);
                              return drawn_fresh;
                            }()),
            0u);
  glClearColor(0, 0, 0, 0);
  for (window_text* each : {&by_line, &at_once, &fresh}) glDeleteTextures(1, &each->sheet.name);
}

// With every band on after a pick, the bands leave at least half of each window to the scene, in a window of
// 512 text pixels or more: the chain takes the keys' place in its window, and the camera's band keeps the
// lines that fit.
TEST_F(Overlays, WithEveryBandOnAfterAPickHalfOfEachWindowShowsTheScene) {
  for (const unsigned char key : {'h', 'n', 'i', 'k', 't'}) press(key);
  frame();
  demo_keyboard(' ', 256, 256);  // the Sun, kept in the mother window; no ship sent
  EXPECT_TRUE(demo_band_text(MOTHER_SHIP).keys.empty()) << "the chain's window";
  for (const auto& [width, height, scale] :
       {std::array<int, 3>{512, 512, 1}, {1024, 1024, 2}, {400, 300, 1}, {800, 600, 1}})
    for (const ship_name viewer : {MOTHER_SHIP, SCOUT_SHIP}) {
      std::vector<text_block> blocks;
      std::vector<bool> under(size_t(width) * height);
      const band_text text = demo_band_text(viewer);
      const std::vector<window_rect> covered =
          add_bands(blocks, text, width, height, width / scale, 0, scale);
      if (text.keys.empty()) {  // the status band's lines and the pick's one-line notice, then the camera's
        const size_t status = text.status.size() + (text.notice.empty() ? 0 : 1);  // two text pixels below
        EXPECT_EQ(covered.at(status - 1).bottom - covered.at(status).top, 2 * scale);
      }
      for (const window_rect& r : covered)
        for (int y = std::max(r.bottom, 0); y < std::min(r.top, height); ++y)
          for (int x = std::max(r.left, 0); x < std::min(r.right, width); ++x)
            under[size_t(y) * width + x] = true;
      EXPECT_LE(std::count(under.begin(), under.end(), true), long(width) * height / 2)
          << ship_titles[viewer] << " at " << width << "x" << height << ", scale " << scale;
    }
  // Where its lines find no room, the camera's band says so with "..." rather than vanish unsaid.
  std::vector<text_block> blocks;
  add_bands(blocks, demo_band_text(SCOUT_SHIP), 512, 512, 256, 0, 2);
  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(blocks.back().content.substr(0, blocks.back().content.find('\n')), "...")
      << "the scout's band at text scale 2 under its keys";
}

// Lines left out for want of room must not go silently (at 100x80 the camera's numbers would stop at
// "eye (0, 50,"): the last line kept says that more follows.
TEST(BandLines, LinesLeftOutAreMarkedWithAnEllipsis) {
  const std::vector<std::string> lines = {"first", "second line", "third"};
  EXPECT_EQ(compute_band_lines(lines, 40, 2 * 6 + 13 + 2 * 15, 6), lines) << "all three fit";
  EXPECT_EQ(compute_band_lines(lines, 40, 2 * 6 + 13 + 15, 6),
            (std::vector<std::string>{"first", "second line..."}));
  EXPECT_EQ(compute_band_lines(lines, 8, 2 * 6 + 13 + 15, 6), (std::vector<std::string>{"first", "secon..."}))
      << "within the columns";
  EXPECT_EQ(compute_band_lines(lines, 12, 2 * 6 + 13 + 15, 6),
            (std::vector<std::string>{"first", "second..."}))
      << "at a space";
  // A line too long for the band is cut at a space, never inside a number.
  EXPECT_EQ(compute_cut_line("z2 4294439936 (0.9998772, 578.8 units)", 30), "z2 4294439936 (0.9998772,...");
  EXPECT_EQ(compute_cut_line("z2 4294439936", 13), "z2 4294439936");
  EXPECT_TRUE(compute_band_lines(lines, 40, 2 * 6 + 12, 6).empty());
  // A save's message is read whole at any scale, the status lines above it giving way.
  const std::string saved =
      "saved as F12 in /home/teacher/.local/share/solar-demo/saved-2.lesson: --lesson with that file brings "
      "it back";
  for (const auto& [size, scale] : {std::pair{512, 1}, {512, 3}, {1024, 4}}) {
    std::vector<text_block> blocks;
    add_bands(blocks, {std::vector<std::string>(16, "Mother Ship"), {}, {}, saved}, size, size, size / scale,
              0, scale);
    // At scale 1 sixteen status lines fill the status band's half of the window, 6 + 13 + 15 x 15 + 6 = 250
    // of 256 text pixels, and the notice below them takes none of it.
    if (scale == 1) {
      EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(),
                              [](const text_block& b) { return b.content.rfind("Mother Ship\n", 0) == 0; }),
                16);
    }
    std::string shown;  // the notice's lines, from the last block up, as one line broken anywhere
    for (auto block = blocks.rbegin(); block != blocks.rend() && shown.size() < saved.size(); ++block)
      shown.insert(0, block->content.substr(0, block->content.find('\n')) + " ");
    EXPECT_NE(shown.find("brings it back"), std::string::npos) << "at scale " << scale << ": " << shown;
    EXPECT_EQ(shown.find("..."), std::string::npos) << "at scale " << scale << ": " << shown;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallWindows,
                         testing::Values(std::array<int, 3>{128, 128, 1}, std::array<int, 3>{100, 80, 1},
                                         std::array<int, 3>{200, 140, 1}, std::array<int, 3>{200, 140, 2},
                                         std::array<int, 3>{300, 300, 3}),
                         [](const testing::TestParamInfo<std::array<int, 3>>& size) {
                           return std::to_string(size.param[0]) + "x" + std::to_string(size.param[1]) +
                                  (size.param[2] > 1 ? "_scale" + std::to_string(size.param[2]) : "");
                         });

// The board's layout, worked out by hand: a column is 12 + 8 per character wide and 10 + 15 per line high
// in text pixels, the parts 12 apart, and 40 at the foot kept for a message. Written "scale: [heading]
// left,top lines | ... / keys ~ message", or with lines_only each column's count of lines.
std::string describe(const board_layout& layout, bool lines_only = false) {
  std::ostringstream out;
  out << layout.scale << (layout.whole ? "" : " cut") << ":";
  for (const std::string& line : layout.heading.lines) out << " [" << line << "]";
  for (const board_column& column : layout.columns) {
    out << " " << column.left << "," << column.top;
    if (lines_only) out << " x" << column.lines.size();
    for (const std::string& line : column.lines)
      if (!lines_only) out << " " << line;
    out << " |";
  }
  for (const std::string& line : layout.keys.lines) out << " / " << layout.keys.top << " " << line;
  if (!layout.message.lines.empty())
    out << " ~ " << layout.message.top << " x" << layout.message.lines.size();
  return out.str();
}

// A topic of count lines, each width characters, the first starting with first.
std::vector<std::string> topic(const std::string& first, size_t count, size_t width) {
  std::vector<std::string> lines(count, std::string(width, '-'));
  lines[0] = (first + std::string(width, '-')).substr(0, width);
  return lines;
}

TEST(BoardLayout, EveryTopicWholeInColumnsAtTheLargestScaleThatHoldsThem) {
  const std::vector<std::string> ten = {"0123456789", "0123456789", "0123456789"};
  const board_text two = {{{ten}, {ten}}, {}, {}, {}, ""};
  board_text keys = two;
  keys.keys = {{"h: help", "i: camera"}};
  const std::string d = " 0123456789 0123456789 0123456789";
  const std::tuple<board_text, int, int, std::string> cases[] = {
      // 92 + 12 + 92 wide is 588 at scale 3; 55 + 12 + 40 high is 321.
      {two, 588, 321, "3: 0,0" + d + " | 104,0" + d + " |"},
      // One pixel less either way, and scale 2 holds both topics in one column of six lines.
      {two, 587, 321, "2: 0,0" + d + d + " |"},
      {two, 588, 320, "2: 0,0" + d + d + " |"},
      // A topic that just fits below the last stays in its column: 4 lines in 70 + 12 + 40 = 122.
      {{{{{"aa", "bb"}, {"cc", "dd"}}}, {}, {}, {}, ""}, 28, 122, "1: 0,0 aa bb cc dd |"},
      // A topic that does not name its window is headed by it, below another window's or at a column's top.
      {{{{{"Mother Ship x"}}, {{"p1", "p2"}}}, {"Mother Ship", "Scout Ship"}, {}, {}, ""},
       116,
       200,
       "1: 0,0 Mother Ship x Scout Ship: p1 p2 |"},
      {{{{{"Mother Ship x"}}, {{"p1", "p2"}}}, {"Mother Ship", "Scout Ship"}, {}, {}, ""},
       400,
       110,
       "1: 0,0 Mother Ship x | 128,0 Scout Ship: p1 p2 |"},
      // The keys' line, 25 high and 12 below the columns.
      {keys, 1000, 400, "2: 0,0" + d + d + " | / 112 h: help  i: camera"},
      // The state's title heads the board, wrapped to its width.
      {{{{ten}}, {}, {}, {"F3: Saturn"}, ""}, 92, 200, "1: [F3: Saturn] 0,37" + d + " |"},
      // Lines that no column holds at scale 1: the last kept says that more follows.
      {{{{{"d1", "d2", "d3", "d4", "d5", "d6"}}}, {}, {}, {}, ""}, 40, 40, "1 cut: 0,0 d1 ... |"},
      // Not even scale 1 holds 50 characters in 100 pixels: cut to the 11 that fit, ending in "...".
      {{{{{std::string(50, 'n')}}}, {}, {}, {}, ""}, 100, 100, "1 cut: 0,0 nnnnnnnn... |"},
  };
  for (const auto& [text, width, height, expected] : cases)
    EXPECT_EQ(describe(compute_board_layout(text, width, height, 8192)), expected) << width << "x" << height;
  // "pikt" for both windows on a 1920x1080 projector at scale 2, every line whole: in reading order the
  // columns would be 61, 37 and 43 characters wide, too wide; tallest first, the mother's camera and chain
  // (17 + 14 lines) stand in one column of 43, the statuses, the pick and the scout's camera in one of 61.
  board_text pikt = {{{topic("Mother Ship", 3, 24), topic("Mother Ship's camera", 17, 43),
                       topic("last pick", 7, 61), topic("transform chain", 14, 37)},
                      {topic("Scout Ship", 3, 11), topic("Scout Ship's camera", 17, 43)}},
                     {"Mother Ship", "Scout Ship"},
                     {},
                     {},
                     ""};
  const board_layout at_rest = compute_board_layout(pikt, 1920, 1080, 8192);
  EXPECT_EQ(describe(at_rest, true), "2: 0,0 x30 | 512,0 x31 |");
  // A passing message keeps the scale and every number's place, and is read whole below them.
  pikt.message = std::string(140, 'm').replace(70, 1, " ");
  const board_layout with_message = compute_board_layout(pikt, 1920, 1080, 8192);
  EXPECT_EQ(describe(with_message, true), "2: 0,0 x30 | 512,0 x31 | ~ 487 x2");
  EXPECT_EQ(with_message.columns.at(0).lines, at_rest.columns.at(0).lines);
}

}  // namespace
