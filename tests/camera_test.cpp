// SPDX-License-Identifier: MIT
// The ship's camera in its three modes, the closed-form inverse, and the ship model drawn at a camera.
#include <GL/glu.h>
#include <gmock/gmock.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "gl_test_support.h"
#include "matrix_math.h"

using testing::FloatNear;
using testing::Pointwise;

namespace {

using matrix_math::mat4;
using matrix_math::vec3;

// The look-at matrix from its textbook definition, independent of GLU.
mat4 look_at(vec3 eye, vec3 centre, vec3 up) {
  auto normalise = [](vec3 v) {
    const float n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return vec3{v[0] / n, v[1] / n, v[2] / n};
  };
  auto cross = [](vec3 a, vec3 b) {
    return vec3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  const vec3 f = normalise({centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]});
  const vec3 s = normalise(cross(f, up));
  const vec3 u = cross(s, f);
  mat4 m = matrix_math::identity();
  for (int i = 0; i < 3; ++i) m[i * 4 + 0] = s[i], m[i * 4 + 1] = u[i], m[i * 4 + 2] = -f[i];
  return matrix_math::multiply(m, matrix_math::translation(-eye[0], -eye[1], -eye[2]));
}

class InvertPose : public GlTest {
 protected:
  ship s{"data/x_wing.obj"};
};

TEST_F(InvertPose, IdentityStaysIdentity) {
  mat4 m = matrix_math::identity();
  EXPECT_TRUE(s.invert_pose(m.data()));
  EXPECT_EQ(m, matrix_math::identity());
}

TEST_F(InvertPose, RigidTransformInvertsToTransposedRotationAndBackTranslation) {
  using namespace matrix_math;
  const mat4 r = rotation(37, 1, 2, 3);
  const vec3 t = {4, -5, 6};
  mat4 m = multiply(translation(t[0], t[1], t[2]), r);
  ASSERT_TRUE(s.invert_pose(m.data()));
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) EXPECT_NEAR(m[col * 4 + row], r[row * 4 + col], 1e-6) << row << col;
  for (int row = 0; row < 3; ++row) {
    const float expected = -(r[row * 4 + 0] * t[0] + r[row * 4 + 1] * t[1] + r[row * 4 + 2] * t[2]);
    EXPECT_NEAR(m[12 + row], expected, 1e-5) << row;
  }
}

// Every one of the sixteen cofactors takes part: a general matrix times its inverse is the identity.
TEST_F(InvertPose, GeneralMatrixTimesItsInverseIsTheIdentity) {
  const mat4 a = {2, -1, 0.5f, 3, 0.25f, 4, -2, 1, 1, 0, 3, -0.5f, -1, 2, 1, 5};
  mat4 inverse = a;
  ASSERT_TRUE(s.invert_pose(inverse.data()));
  EXPECT_THAT(matrix_math::multiply(a, inverse), Pointwise(FloatNear(1e-5f), matrix_math::identity()));
  EXPECT_THAT(matrix_math::multiply(inverse, a), Pointwise(FloatNear(1e-5f), matrix_math::identity()));
}

TEST_F(InvertPose, SingularMatricesAreLeftUntouched) {
  mat4 zeros{};
  EXPECT_FALSE(s.invert_pose(zeros.data()));
  EXPECT_EQ(zeros, mat4{});
  // Its determinant comes out as -0, which still counts as zero.
  mat4 negative_zero{};
  negative_zero[0] = -1.0f;
  negative_zero[1] = negative_zero[2] = negative_zero[3] = -0.0f;
  const mat4 copy = negative_zero;
  EXPECT_FALSE(s.invert_pose(negative_zero.data()));
  EXPECT_EQ(std::memcmp(negative_zero.data(), copy.data(), sizeof copy), 0) << "not one bit written";
  // Two equal rows: a rank-deficient matrix that is not all zeros.
  mat4 rank3 = {1, 2, 1, 0, 3, 4, 3, 0, 5, 6, 5, 0, 7, 8, 7, 1};
  const mat4 rank3_copy = rank3;
  EXPECT_FALSE(s.invert_pose(rank3.data()));
  EXPECT_EQ(rank3, rank3_copy);
}

TEST_F(InvertPose, NanIsNotZeroAndSpreads) {
  mat4 m = matrix_math::identity();
  m[5] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(s.invert_pose(m.data()));
  EXPECT_TRUE(std::isnan(m[0]));
}

class ApplyCamera : public GlTest {};

TEST_F(ApplyCamera, LookatMatchesTheLookAtMatrix) {
  ship s("data/x_wing.obj");
  s.apply_camera();
  EXPECT_THAT(matrix_math::from_gl(s.pose),
              Pointwise(FloatNear(1e-4f), look_at({0, 50, 100}, {0, 0, 0}, {0, 1, 0})));
  EXPECT_EQ(matrix_math::from_gl(s.pose), gl_test::current_modelview())
      << "pose is the matrix left on the stack";
  glLoadIdentity();
  s.eye[0] = 7, s.origin[2] = -3, s.up[0] = 0.3f;
  s.apply_camera();
  EXPECT_THAT(matrix_math::from_gl(s.pose),
              Pointwise(FloatNear(1e-4f), look_at({7, 50, 100}, {0, 0, -3}, {0.3f, 1, 0})));
  glLoadIdentity();
}

TEST_F(ApplyCamera, RelativeOnIdentityLeavesPoseBitForBit) {
  ship s("data/x_wing.obj");
  s.apply_camera();
  glLoadIdentity();
  s.move_relative_roll(1, 1, 1);
  const mat4 before = matrix_math::from_gl(s.pose);
  s.set_mode(RELATIVE, nullptr);
  s.apply_camera();
  EXPECT_EQ(std::memcmp(before.data(), s.pose, sizeof s.pose), 0);
  glLoadIdentity();
}

TEST_F(ApplyCamera, SwitchingFromLookatToRelativeShowsTheIdenticalView) {
  gl_test::draw_frame();  // the first frame turns line smoothing on for the frames after it
  gl_test::draw_frame();
  const auto lookat_frame = gl_test::read_frame();
  const mat4 lookat_pose = matrix_math::from_gl(ships[MOTHER_SHIP]->pose);
  ships[MOTHER_SHIP]->set_mode(RELATIVE, nullptr);
  gl_test::draw_frame();
  EXPECT_EQ(matrix_math::from_gl(ships[MOTHER_SHIP]->pose), lookat_pose);
  EXPECT_TRUE(gl_test::read_frame() == lookat_frame);
}

// The followed body's centre sits straight ahead at the set distance, whatever the body's orbit and spin.
TEST_F(ApplyCamera, GeosynchKeepsTheBodyAtTheWindowCentreFrameAfterFrame) {
  ships[MOTHER_SHIP]->set_mode(GEOSYNCH, planet[EARTH]);
  ships[MOTHER_SHIP]->geosynch_distance = 12.0f;
  for (int frame = 0; frame < 20; ++frame) {
    demo_idle(0.25f);
    gl_test::draw_frame();
    const vec3 centre = {planet[EARTH]->world_pose[12], planet[EARTH]->world_pose[13],
                         planet[EARTH]->world_pose[14]};
    const vec3 in_eye = matrix_math::transform_point(matrix_math::from_gl(ships[MOTHER_SHIP]->pose), centre);
    EXPECT_NEAR(in_eye[0], 0.0f, 1e-3) << frame;
    EXPECT_NEAR(in_eye[1], 0.0f, 1e-3) << frame;
    EXPECT_NEAR(in_eye[2], -12.0f, 1e-3) << frame;
  }
  // On screen: the window's centre shows Earth, not the sky, which is exactly black.
  const gl_test::rgb centre = gl_test::read_pixel(256, 256);
  EXPECT_GT(centre.r + centre.g + centre.b, 5);
}

TEST_F(ApplyCamera, GeosynchCameraSitsAtFixedAnglesInTheBodysFrame) {
  ship s("data/x_wing.obj");
  planet[STARFIELD]->update_world_pose();
  glLoadIdentity();
  s.set_mode(GEOSYNCH, planet[MARS]);
  s.geosynch_distance = 10.0f;
  s.apply_camera();
  glLoadIdentity();
  mat4 camera_to_world = matrix_math::from_gl(s.pose);
  ASSERT_TRUE(s.invert_pose(camera_to_world.data()));
  mat4 world_to_body;
  std::memcpy(world_to_body.data(), planet[MARS]->world_pose, sizeof world_to_body);
  ASSERT_TRUE(s.invert_pose(world_to_body.data()));
  const vec3 camera_in_body =
      matrix_math::translation_of(matrix_math::multiply(world_to_body, camera_to_world));
  EXPECT_THAT(camera_in_body, Pointwise(FloatNear(1e-3f), {-8.660254f, 2.5f, 4.330127f}));
}

class ShipModel : public GlTest {
 protected:
  // The model's outline vertices in world coordinates, through feedback under an orthographic view that maps
  // world units linearly to the window. The filled pass is left out: its polygon offset shifts depths.
  std::vector<vec3> model_vertices(ship& s) {
    constexpr float half = 16.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -half, half);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, gl_test::window_size_px, gl_test::window_size_px);
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> feedback(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    s.draw_camera(RENDER);
    const GLint count = glRenderMode(GL_RENDER);
    std::vector<vec3> vertices;
    auto to_world = [&](size_t i) {
      const float px = 2 * half / gl_test::window_size_px;
      return vec3{feedback[i] * px - half, feedback[i + 1] * px - half, -(feedback[i + 2] * 2 * half - half)};
    };
    for (GLint i = 0; i < count;) {
      const GLfloat token = feedback[i++];
      if (token == GL_POLYGON_TOKEN) {
        i += 1 + 3 * static_cast<int>(feedback[i]);
      } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
        for (int k = 0; k < 2; ++k, i += 3) vertices.push_back(to_world(i));
      } else {
        i += 3;
      }
    }
    return vertices;
  }
};

TEST_F(ShipModel, NosePointsThreeUnitsAlongTheViewAndWingTipsSitAtThirtyDegrees) {
  ship s("data/x_wing.obj");  // pose is the identity: camera at the origin looking down -z
  const std::vector<vec3> vertices = model_vertices(s);
  ASSERT_FALSE(vertices.empty());
  float nearest = 0, farthest = -10;
  for (const vec3& v : vertices) nearest = std::min(nearest, v[2]), farthest = std::max(farthest, v[2]);
  EXPECT_NEAR(nearest, -3.0f, 0.05f) << "the nose, 3 units down the viewing direction";
  EXPECT_NEAR(farthest, 0.0f, 0.05f) << "the tail at the camera";
  for (float sx : {-1.0f, 1.0f})
    for (float sy : {-1.0f, 1.0f}) {
      float rod_min = 0, rod_max = -10;
      for (const vec3& v : vertices)
        if (std::fabs(v[0] - sx * 1.732f) < 0.12f && std::fabs(v[1] - sy * 1.0f) < 0.12f)
          rod_min = std::min(rod_min, v[2]), rod_max = std::max(rod_max, v[2]);
      EXPECT_NEAR(rod_min, -2.0f, 0.06f) << "rod at " << sx << "," << sy;
      EXPECT_NEAR(rod_max, 0.0f, 0.06f) << "rod at " << sx << "," << sy;
    }
}

TEST_F(ShipModel, IsPlacedAtTheInverseOfTheShipsView) {
  ship s("data/x_wing.obj");
  s.eye[0] = 3, s.eye[1] = 4, s.eye[2] = 5;
  s.origin[0] = s.origin[1] = s.origin[2] = 0;
  s.apply_camera();
  glLoadIdentity();
  const std::vector<vec3> vertices = model_vertices(s);
  const float length = std::sqrt(50.0f);
  const vec3 nose = {3 - 3 * 3 / length, 4 - 3 * 4 / length, 5 - 3 * 5 / length};
  float best = 1e9f;
  for (const vec3& v : vertices)
    best = std::min(best, std::hypot(v[0] - nose[0], std::hypot(v[1] - nose[1], v[2] - nose[2])));
  EXPECT_LT(best, 0.35f) << "a nose vertex lies near eye + 3 * viewing direction";
}

// Pins the polygon offset of the model's grey faces: drawn at the very depths of the white outline, they
// would win the GL_LESS test along much of it and hide it.
TEST_F(ShipModel, TheGreyFacesHideNoneOfTheWhiteOutline) {
  ship s("data/x_wing.obj");
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(70, 1, 0.1, 100);
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, 0, gl_test::window_size_px, gl_test::window_size_px);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  // Seen from above and behind, a little aside, the ship 3 units long fills much of the window.
  gluLookAt(2.5, 3, 4, 0, 0, -1.5, 0, 1, 0);
  const auto is_white = [](const std::vector<unsigned char>& frame, size_t i) {
    return frame[i] > 200 && frame[i + 1] > 200 && frame[i + 2] > 200;
  };
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  s.draw_camera(RENDER);
  const std::vector<unsigned char> with_faces = gl_test::read_frame();
  // The outline as it should show: hidden only where another box stands in front of it. The faces go into
  // the depth buffer alone, pushed well back, then the outline is drawn as the outline pass draws it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  float inverse[16];
  std::memcpy(inverse, s.pose, sizeof inverse);
  s.invert_pose(inverse);
  glPushMatrix();
  glMultMatrixf(inverse);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(4, 16);
  s.draw_x_wing();
  glDisable(GL_POLYGON_OFFSET_FILL);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glColor3f(1, 1, 1);
  s.draw_x_wing();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glPopMatrix();
  const std::vector<unsigned char> outline = gl_test::read_frame();
  int outline_pixels = 0, hidden = 0;
  for (size_t i = 0; i < outline.size(); i += 3) {
    if (!is_white(outline, i)) continue;
    ++outline_pixels;
    hidden += !is_white(with_faces, i);
  }
  ASSERT_GT(outline_pixels, 500);
  EXPECT_LE(hidden, outline_pixels / 50) << "outline pixels hidden by the faces, of " << outline_pixels;
  glLoadIdentity();
}

TEST_F(ShipModel, DrawCameraLeavesLightingOffFillModeAndWhite) {
  ship s("data/x_wing.obj");
  glTranslatef(1, 2, 3);
  const mat4 before = gl_test::current_modelview();
  s.draw_camera(RENDER);
  EXPECT_EQ(gl_test::current_modelview(), before);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
  GLint polygon_mode[2];
  glGetIntegerv(GL_POLYGON_MODE, polygon_mode);
  EXPECT_EQ(polygon_mode[0], GL_FILL);
  EXPECT_EQ(polygon_mode[1], GL_FILL);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_THAT(colour, Pointwise(FloatNear(0.0f), {1.0f, 1.0f, 1.0f, 1.0f}));
  glLoadIdentity();
}

TEST_F(ShipModel, SelectionPassDrawsNothingAndChangesNoState) {
  ship s("data/x_wing.obj");
  glEnable(GL_LIGHTING);
  glColor3f(0.3f, 0.6f, 0.9f);
  GLuint buffer[64];
  glSelectBuffer(64, buffer);
  glRenderMode(GL_SELECT);
  glPushName(99);
  s.draw_camera(SELECT);
  glPopName();
  EXPECT_EQ(glRenderMode(GL_RENDER), 0) << "no hit recorded under the pushed name";
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_THAT(colour, Pointwise(FloatNear(0.0f), {0.3f, 0.6f, 0.9f, 1.0f}));
}

}  // namespace
