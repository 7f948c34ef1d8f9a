// SPDX-License-Identifier: MIT
// Whole frames drawn in the real context: what reaches the pixels, what the selection pass records, and the
// GL state each drawing step leaves behind.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "gl_test_support.h"
#include "matrix_math.h"

using testing::FloatNear;
using testing::Pointwise;

namespace {

using matrix_math::vec3;

// A pixel matches when every channel is within a few levels of the expected colour.
bool probe(int x, int y, gl_test::rgb expected, int tolerance = 3) {
  const gl_test::rgb got = gl_test::read_pixel(x, y);
  const bool ok = std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
                  std::abs(got.b - expected.b) <= tolerance;
  if (!ok) ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << got.r << "," << got.g << "," << got.b;
  return ok;
}

constexpr gl_test::rgb black = {0, 0, 0};

using gl_test::window_point;

struct hit {
  GLuint zmin;
  std::vector<GLuint> names;
};

// One selection pass of the current window around a point given in window pixels from the top left, run as
// code written against the demo's globals runs it: the flag and the point set, then the one drawing routine.
std::vector<hit> select_at(int x, int y) {
  GLuint buffer[1024];
  glSelectBuffer(1024, buffer);
  glRenderMode(GL_SELECT);
  is_picking = true;
  pick_x = x;
  pick_y = y;
  demo_display();
  is_picking = false;
  std::vector<hit> hits;
  for (GLint record = 0, count = glRenderMode(GL_RENDER), i = 0; record < count; ++record, i += 3 + buffer[i])
    hits.push_back({buffer[i + 1], std::vector<GLuint>(buffer + i + 3, buffer + i + 3 + buffer[i])});
  return hits;
}

std::set<GLuint> names_hit(const std::vector<hit>& hits) {
  std::set<GLuint> names;
  for (const hit& h : hits) names.insert(h.names.begin(), h.names.end());
  return names;
}

class FramePixels : public GlTest {};

TEST_F(FramePixels, DefaultViewShowsTheYellowSunOnBlackSkyWithWhiteOrbits) {
  gl_test::draw_frame();
  const gl_test::rgb sun = gl_test::read_pixel(256, 256);
  EXPECT_GT(sun.r, 60);
  EXPECT_NEAR(sun.r, sun.g, 3) << "yellow: red and green alike";
  EXPECT_LT(sun.b, 10);
  bool pass = probe(2, 2, black);
  pass = probe(509, 509, black) && pass;
  pass = probe(2, 509, black) && pass;
  EXPECT_TRUE(pass);

  // A point of Neptune's orbit ring, half a turn away from Neptune itself.
  const matrix_math::mat4 frame = matrix_math::from_gl(planet[NEPTUNE]->orbit_pose);
  const vec3 ring_point = matrix_math::transform_point(frame, {-50, 0, 0});
  const vec3 at = window_point(ring_point, MOTHER_SHIP);
  int brightest = 0;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const gl_test::rgb p = gl_test::read_pixel(int(at[0]) + dx, int(at[1]) + dy);
      brightest = std::max(brightest, std::min({p.r, p.g, p.b}));
    }
  EXPECT_GT(brightest, 200) << "a white ring pixel near " << at[0] << "," << at[1];
}

TEST_F(FramePixels, EachWindowShowsItsOwnShipsViewAndTheOtherShip) {
  gl_test::draw_frame();
  const auto mother_view = gl_test::read_frame();
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();
  const auto scout_view = gl_test::read_frame();
  EXPECT_FALSE(scout_view == mother_view) << "the scout looks from 20 units nearer";
  // The mother ship looks past the scout, which sits 20 units ahead of it, straight towards the sun: its grey
  // and white model shows above the sun in the mother window.
  gl_test::make_current(gl_test::mother_window());
  gl_test::draw_frame();
  const vec3 scout_at = window_point({0, 50, 100}, MOTHER_SHIP);
  int white_pixels = 0;
  for (int dy = -20; dy <= 20; ++dy)
    for (int dx = -20; dx <= 20; ++dx) {
      const gl_test::rgb p = gl_test::read_pixel(int(scout_at[0]) + dx, int(scout_at[1]) + dy);
      white_pixels += p.r > 200 && p.g > 200 && p.b > 200;
    }
  EXPECT_GT(white_pixels, 20) << "the scout ship's wire-frame around " << scout_at[0] << "," << scout_at[1];
}

TEST_F(FramePixels, BeforeTheSceneExistsAFrameShowsOnlyTheClearColour) {
  demo_initialized = false;
  glClearColor(0.2f, 0.4f, 0.6f, 0);
  gl_test::draw_frame();
  demo_initialized = true;
  glClearColor(0, 0, 0, 0);
  const auto frame = gl_test::read_frame();
  const gl_test::rgb first = gl_test::read_pixel(0, 0);
  EXPECT_NEAR(first.b, 153, 1);
  for (size_t i = 0; i < frame.size(); i += 3) ASSERT_EQ(frame[i + 2], first.b) << "pixel " << i / 3;
}

TEST_F(FramePixels, TheNextFrameUsesTheNewWindowSize) {
  glutReshapeWindow(300, 200);
  ASSERT_TRUE([] {
    for (int i = 0; i < 1000 && glutGet(GLUT_WINDOW_WIDTH) != 300; ++i) glutMainLoopEvent();
    return glutGet(GLUT_WINDOW_WIDTH) == 300;
  }());
  gl_test::draw_frame();
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_THAT(viewport, testing::ElementsAre(0, 0, 300, 200));
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5] / projection[0], 1.5f, 1e-5) << "aspect 300/200";
  glutReshapeWindow(gl_test::window_size_px, gl_test::window_size_px);
  for (int i = 0; i < 1000 && glutGet(GLUT_WINDOW_WIDTH) != gl_test::window_size_px; ++i) glutMainLoopEvent();
}

class SelectionPass : public GlTest {};

TEST_F(SelectionPass, EveryBodyIsHitUnderItsOwnNameAndNothingElse) {
  gl_test::draw_frame();
  std::vector<vec3> centres;  // projected before any selection pass narrows the projection
  for (int b = 0; b < body_count; ++b)
    centres.push_back(window_point(gl_test::body_centre(body_name(b)), MOTHER_SHIP));
  for (int b = SUN; b < body_count; ++b) {
    const vec3 at = centres[b];
    const std::vector<hit> hits = select_at(int(at[0]), gl_test::window_size_px - int(at[1]));
    EXPECT_TRUE(names_hit(hits).count(b)) << "body " << b;
    EXPECT_TRUE(names_hit(hits).count(STARFIELD)) << "the star-field surrounds the camera";
    for (const hit& h : hits) {
      ASSERT_EQ(h.names.size(), 1u) << "exactly one name per record";
      EXPECT_LT(h.names[0], GLuint(body_count)) << "only bodies are ever named";
    }
  }
  EXPECT_EQ(gl_test::name_stack_depth(), 0);
}

TEST_F(SelectionPass, OrbitRingsAreNotDrawnButSaturnsRingsAre) {
  // Hold station over Saturn, so that its rings stand well clear of the sphere on screen.
  ships[MOTHER_SHIP]->set_mode(GEOSYNCH, planet[SATURN]);
  ships[MOTHER_SHIP]->geosynch_distance = 30.0f;
  gl_test::draw_frame();
  const matrix_math::mat4 saturn = matrix_math::from_gl(planet[SATURN]->world_pose);
  const vec3 centre = window_point(gl_test::body_centre(SATURN), MOTHER_SHIP);
  std::vector<vec3> ring_points;  // projected before any selection pass narrows the projection
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4;
    const float r = 3 * (1.5f + 0.1f + 0.05f * 19);  // the outermost ring, in scene units
    ring_points.push_back(window_point(
        matrix_math::transform_point(saturn, {float(r * cos(a)), 0, float(r * sin(a))}), MOTHER_SHIP));
  }
  const matrix_math::mat4 orbit = matrix_math::from_gl(planet[SATURN]->orbit_pose);
  const vec3 orbit_point = window_point(
      matrix_math::transform_point(orbit, {38 * std::cos(0.4f), 0, 38 * std::sin(0.4f)}), MOTHER_SHIP);

  int ring_hits = 0;
  for (int k = 0; k < 8; ++k) {
    const vec3 at = ring_points[k];
    if (std::hypot(at[0] - centre[0], at[1] - centre[1]) < 40) continue;  // too near the sphere on screen
    const std::set<GLuint> names = names_hit(select_at(int(at[0]), gl_test::window_size_px - int(at[1])));
    EXPECT_TRUE(names.count(SATURN)) << "ring point " << k;
    ring_hits += names.count(SATURN);
  }
  EXPECT_GT(ring_hits, 0) << "some ring point stood clear of the sphere";

  // A point of Saturn's orbit ring, away from the planet, hits only the star-field.
  const vec3 at = orbit_point;
  ASSERT_TRUE(at[0] > 5 && at[0] < 507 && at[1] > 5 && at[1] < 507 && at[2] < 1)
      << "the orbit point is in view";
  EXPECT_EQ(names_hit(select_at(int(at[0]), gl_test::window_size_px - int(at[1]))),
            std::set<GLuint>{STARFIELD});
}

// The ring colours come from draws 96 to 102, taken by the first drawing of Saturn in any window or pass,
// and never again.
TEST_F(SelectionPass, SaturnsRingColoursAreTheNextSevenDrawsTakenOnce) {
  gl_test::reseed_default_stream();
  std::vector<double> draws(103);
  for (double& d : draws) d = drand48();
  gl_test::rebuild_scene();
  select_at(256, 256);
  if (drand48() == draws[95])
    GTEST_SKIP() << "an earlier test in this process drew Saturn first; ctest runs each alone";
  gl_test::reseed_default_stream();
  for (int i = 0; i < 102; ++i) drand48();
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();
  gl_test::make_current(gl_test::mother_window());
  gl_test::draw_frame();
  EXPECT_EQ(drand48(), draws[102]) << "seven draws in all, in either window and pass";

  glLoadIdentity();
  planet[STARFIELD]->update_world_pose();
  glLoadIdentity();
  std::vector<GLfloat> feedback(1 << 18);
  glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR, feedback.data());
  glRenderMode(GL_FEEDBACK);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-100, 100, -100, 100, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  planet[SATURN]->render(MOTHER_SHIP, RENDER);
  const GLint count = glRenderMode(GL_RENDER);
  // Line segments in drawing order: the orbit ring, then the twenty rings of 199 segments each.
  std::vector<std::array<float, 3>> segment_colours;
  for (GLint i = 0; i < count;) {
    const GLfloat token = feedback[i++];
    if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      segment_colours.push_back({feedback[i + 3], feedback[i + 4], feedback[i + 5]});
      i += 14;
    } else if (token == GL_POLYGON_TOKEN) {
      i += 1 + 7 * static_cast<int>(feedback[i]);
    } else {
      i += 7;
    }
  }
  ASSERT_EQ(segment_colours.size(), 21u * 199u);
  EXPECT_THAT(segment_colours[0], Pointwise(FloatNear(1e-6f), {1.0f, 1.0f, 1.0f}))
      << "the orbit ring is white";
  for (int ring = 0; ring < 20; ++ring) {
    const float c = 0.1f * static_cast<float>(draws[95 + ring % 7]);
    EXPECT_THAT(segment_colours[(ring + 1) * 199],
                Pointwise(FloatNear(2e-3f), {0.5f + c, 0.4f + c, 0.2f + c}))
        << "ring " << ring;
  }
  gl_test::rebuild_scene();
}

class RenderState : public GlTest {};

TEST_F(RenderState, RenderLeavesStacksBalancedLinesThinAndPlutosColour) {
  planet[STARFIELD]->update_world_pose();
  glLoadIdentity();
  ships[MOTHER_SHIP]->apply_camera();
  const matrix_math::mat4 camera = gl_test::current_modelview();
  planet[STARFIELD]->render(MOTHER_SHIP, RENDER);
  EXPECT_EQ(gl_test::current_modelview(), camera);
  EXPECT_EQ(gl_test::modelview_depth(), 1);
  GLfloat width = 0, colour[4], emission[4];
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.0f);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH)) << "switched on by Saturn's rings and never off";
  // freeglut draws the ship model from client arrays of its own: none of ours may be left switched on.
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_THAT(std::vector<float>(colour, colour + 3), Pointwise(FloatNear(1e-6f), planet[PLUTO]->color));
  glGetMaterialfv(GL_FRONT, GL_EMISSION, emission);
  EXPECT_THAT(std::vector<float>(emission, emission + 3), Pointwise(FloatNear(0.0f), {0.0f, 0.0f, 0.0f}));
  glLoadIdentity();
}

TEST_F(RenderState, StarfieldIsDrawnUnlitWithBothFaces) {
  planet[STARFIELD]->setup_body_render(MOTHER_SHIP);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  planet[SUN]->setup_body_render(MOTHER_SHIP);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_THAT(std::vector<float>(colour, colour + 3), Pointwise(FloatNear(0.0f), {1.0f, 1.0f, 0.0f}));
}

TEST_F(RenderState, RingsAreTwoHundredVertexClosedStripsInTheXZPlane) {
  std::vector<GLfloat> feedback(4096);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10, 10, -10, 10, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(-90, 1, 0, 0);  // look down on the XZ plane
  glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_2D, feedback.data());
  glRenderMode(GL_FEEDBACK);
  planet[EARTH]->draw_ring(8.0f, true);
  const GLint count = glRenderMode(GL_RENDER);
  glLoadIdentity();
  // A strip of 200 vertices gives 199 segments of 5 values each (token and two 2D vertices).
  EXPECT_EQ(count, 199 * 5);
  const float to_units = 20.0f / gl_test::window_size_px;
  EXPECT_NEAR(feedback[1] * to_units - 10, 8.0f, 1e-3) << "the first vertex is (R, 0, 0)";
  EXPECT_NEAR(feedback[2] * to_units - 10, 0.0f, 1e-3);
  const GLint last = count - 2;
  EXPECT_NEAR(feedback[last] * to_units - 10, 8.0f, 1e-3) << "the last vertex repeats the first";
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  gl_test::rebuild_scene();
}

}  // namespace
