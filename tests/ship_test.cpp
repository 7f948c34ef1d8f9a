// SPDX-License-Identifier: MIT
// Ship navigation: defaults, the three key tables, the step sizes and the relative moves on the GL stack.
#include <GL/glu.h>
#include <gmock/gmock.h>

#include <cstring>
#include <set>

#include "gl_test_support.h"
#include "matrix_math.h"

using testing::ElementsAre;
using testing::FloatNear;
using testing::Pointwise;

namespace {

using matrix_math::mat4;

void set_pose(ship& s, const mat4& m) { std::memcpy(s.pose, m.data(), sizeof s.pose); }

// A view with no symmetry, so that a turn about the wrong axis or in the wrong order shows.
mat4 oblique_view() {
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(3, 7, 11, -2, 1, 0.5, 0.2, 1, 0.1);
  const mat4 m = gl_test::current_modelview();
  glPopMatrix();
  return m;
}

// Everything a key may change, for comparing a ship before and after.
struct ship_state {
  navigation_mode mode;
  float values[18];
  body* followed;
  mat4 pose;
  bool operator==(const ship_state& o) const {
    return mode == o.mode && std::memcmp(values, o.values, sizeof values) == 0 && followed == o.followed &&
           pose == o.pose;
  }
};

ship_state state_of(const ship& s) {
  ship_state st{s.mode, {}, s.geosynch_body, matrix_math::from_gl(s.pose)};
  const float v[18] = {s.lookat_speed,   s.eye[0],
                       s.eye[1],         s.eye[2],
                       s.origin[0],      s.origin[1],
                       s.origin[2],      s.up[0],
                       s.up[1],          s.up[2],
                       s.relative_speed, s.relative_turn,
                       s.geosynch_speed, s.geosynch_distance};
  std::memcpy(st.values, v, sizeof v);
  return st;
}

class ShipDefaults : public GlTest {};

TEST_F(ShipDefaults, ResetRestoresNavigationButLeavesPose) {
  ship s("data/scout.obj");
  EXPECT_EQ(s.get_mode(), LOOKAT);
  EXPECT_THAT(s.eye, ElementsAre(0.0f, 50.0f, 100.0f));
  EXPECT_THAT(s.origin, ElementsAre(0.0f, 0.0f, 0.0f));
  EXPECT_THAT(s.up, ElementsAre(0.0f, 1.0f, 0.0f));
  EXPECT_EQ(s.lookat_speed, 1.0f);
  EXPECT_EQ(s.relative_speed, 1.0f);
  EXPECT_EQ(s.geosynch_speed, 1.0f);
  EXPECT_EQ(s.relative_turn, 2.0f);
  EXPECT_EQ(s.geosynch_distance, 5.0f);
  EXPECT_EQ(s.geosynch_body, nullptr);
  EXPECT_TRUE(s.model_vertices.empty());
  EXPECT_TRUE(s.model_indices.empty());
  EXPECT_EQ(matrix_math::from_gl(s.pose), matrix_math::identity()) << "pose starts defined";

  s.set_mode(GEOSYNCH, planet[MARS]);
  s.handle_keyboard('=');
  s.handle_keyboard('w');
  s.set_mode(LOOKAT, nullptr);
  s.handle_keyboard('x');
  s.handle_keyboard('E');
  const mat4 view = oblique_view();
  set_pose(s, view);
  s.reset();
  const ship fresh("data/x_wing.obj");
  ship_state expected = state_of(fresh);
  expected.pose = view;
  EXPECT_TRUE(state_of(s) == expected);
}

TEST_F(ShipDefaults, MotherShipStartsTwentyUnitsBehindTheScout) {
  EXPECT_THAT(ships[MOTHER_SHIP]->eye, ElementsAre(0.0f, 50.0f, 120.0f));
  EXPECT_THAT(ships[SCOUT_SHIP]->eye, ElementsAre(0.0f, 50.0f, 100.0f));
  ships[MOTHER_SHIP]->lookat_speed = 3.0f;
  ships[SCOUT_SHIP]->eye[0] = 9.0f;
  demo_reset_ships();
  EXPECT_THAT(ships[MOTHER_SHIP]->eye, ElementsAre(0.0f, 50.0f, 120.0f)) << "reset scale 1 before the offset";
  EXPECT_THAT(ships[SCOUT_SHIP]->eye, ElementsAre(0.0f, 50.0f, 100.0f));
}

TEST_F(ShipDefaults, SetModeStoresBothArgumentsAndNothingElse) {
  ship s("data/x_wing.obj");
  ship_state before = state_of(s);
  s.set_mode(GEOSYNCH, planet[SATURN]);
  EXPECT_EQ(s.get_mode(), GEOSYNCH);
  EXPECT_EQ(s.geosynch_body, planet[SATURN]);
  before.mode = GEOSYNCH;
  before.followed = planet[SATURN];
  EXPECT_TRUE(state_of(s) == before);
}

// One row per key of a table: the key, and what it must change compared with the defaults.
struct key_effect {
  unsigned char key;
  void (*expect)(const ship&);
};

void expect_keys(navigation_mode mode, std::initializer_list<key_effect> table) {
  std::set<unsigned char> claimed;
  for (const key_effect& row : table) {
    ship s("data/x_wing.obj");
    s.set_mode(mode, mode == GEOSYNCH ? planet[EARTH] : nullptr);
    set_pose(s, oblique_view());
    s.handle_keyboard(row.key);
    SCOPED_TRACE(std::string("key '") + char(row.key) + "'");
    row.expect(s);
    claimed.insert(row.key);
  }
  for (int key = 0; key < 256; ++key) {
    if (claimed.count(key)) continue;
    ship s("data/x_wing.obj");
    s.set_mode(mode, mode == GEOSYNCH ? planet[EARTH] : nullptr);
    set_pose(s, oblique_view());
    const ship_state before = state_of(s);
    s.handle_keyboard(static_cast<unsigned char>(key));
    EXPECT_TRUE(state_of(s) == before) << "key " << key << " is not in this mode's table";
  }
}

class ShipKeys : public GlTest {};

TEST_F(ShipKeys, LookatLowerCaseAddsAndUpperCaseSubtractsAlongWorldAxes) {
  expect_keys(LOOKAT, {
                          {'x', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(1.0f, 50.0f, 100.0f)); }},
                          {'X', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(-1.0f, 50.0f, 100.0f)); }},
                          {'y', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(0.0f, 51.0f, 100.0f)); }},
                          {'Y', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(0.0f, 49.0f, 100.0f)); }},
                          {'z', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(0.0f, 50.0f, 101.0f)); }},
                          {'Z', [](const ship& s) { EXPECT_THAT(s.eye, ElementsAre(0.0f, 50.0f, 99.0f)); }},
                          {'a', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(1.0f, 0.0f, 0.0f)); }},
                          {'A', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(-1.0f, 0.0f, 0.0f)); }},
                          {'b', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(0.0f, 1.0f, 0.0f)); }},
                          {'B', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(0.0f, -1.0f, 0.0f)); }},
                          {'c', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(0.0f, 0.0f, 1.0f)); }},
                          {'C', [](const ship& s) { EXPECT_THAT(s.origin, ElementsAre(0.0f, 0.0f, -1.0f)); }},
                          {'d', [](const ship& s) { EXPECT_THAT(s.up, ElementsAre(1.0f, 1.0f, 0.0f)); }},
                          {'D', [](const ship& s) { EXPECT_THAT(s.up, ElementsAre(-1.0f, 1.0f, 0.0f)); }},
                          {'e', [](const ship& s) { EXPECT_THAT(s.up, ElementsAre(0.0f, 2.0f, 0.0f)); }},
                          {'E',
                           [](const ship& s) {
                             EXPECT_THAT(s.up, ElementsAre(0.0f, 0.0f, 0.0f)) << "nothing stops a zero up";
                           }},
                          {'f', [](const ship& s) { EXPECT_THAT(s.up, ElementsAre(0.0f, 1.0f, 1.0f)); }},
                          {'F', [](const ship& s) { EXPECT_THAT(s.up, ElementsAre(0.0f, 1.0f, -1.0f)); }},
                          {'=',
                           [](const ship& s) {
                             EXPECT_EQ(s.lookat_speed, 1.5f);
                             EXPECT_EQ(s.relative_speed, 1.0f);
                           }},
                          {'-',
                           [](const ship& s) {
                             EXPECT_EQ(s.lookat_speed, 0.666f);
                             EXPECT_EQ(s.geosynch_speed, 1.0f);
                           }},
                      });
}

TEST_F(ShipKeys, RelativeTurnsAndStepsInTheCamerasOwnFrame) {
  using namespace matrix_math;
  static const mat4 view = oblique_view();
  static const auto turned = [](double deg, double x, double y, double z) {
    return multiply(rotation(deg, x, y, z), view);
  };
  expect_keys(
      RELATIVE,
      {
          {'q',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(2, 0, 1, 0)));
           }},
          {'e',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(-2, 0, 1, 0)));
           }},
          {'x',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(2, 1, 0, 0)));
           }},
          {'c',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(-2, 1, 0, 0)));
           }},
          {'a',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(2, 0, 0, 1)));
           }},
          {'d',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), turned(-2, 0, 0, 1)));
           }},
          {'w',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose),
                         Pointwise(FloatNear(1e-5f), multiply(translation(0, 0, 1), view)));
           }},
          {'s',
           [](const ship& s) {
             EXPECT_THAT(matrix_math::from_gl(s.pose),
                         Pointwise(FloatNear(1e-5f), multiply(translation(0, 0, -1), view)));
           }},
          {'=',
           [](const ship& s) {
             EXPECT_EQ(s.relative_speed, 1.5f);
             EXPECT_EQ(s.relative_turn, 2.0f);
           }},
          {'-',
           [](const ship& s) {
             EXPECT_EQ(s.relative_speed, 0.666f);
             EXPECT_EQ(s.lookat_speed, 1.0f);
           }},
      });
}

TEST_F(ShipKeys, GeosynchOnlyZoomsAndScalesItsStep) {
  expect_keys(GEOSYNCH, {
                            {'w', [](const ship& s) { EXPECT_EQ(s.geosynch_distance, 4.0f); }},
                            {'s', [](const ship& s) { EXPECT_EQ(s.geosynch_distance, 6.0f); }},
                            {'=',
                             [](const ship& s) {
                               EXPECT_EQ(s.geosynch_speed, 1.5f);
                               EXPECT_EQ(s.lookat_speed, 1.0f);
                             }},
                            {'-', [](const ship& s) { EXPECT_EQ(s.geosynch_speed, 0.666f); }},
                        });
}

TEST_F(ShipKeys, AnUnknownModeIgnoresEveryKey) {
  ship s("data/x_wing.obj");
  s.mode = static_cast<navigation_mode>(3);  // inside the enum's range, yet no mode
  const ship_state before = state_of(s);
  for (int key = 0; key < 256; ++key) s.handle_keyboard(static_cast<unsigned char>(key));
  EXPECT_TRUE(state_of(s) == before);
}

class ShipSteps : public GlTest {};

TEST_F(ShipSteps, SpeedsMultiplyInSinglePrecisionWithoutBounds) {
  ship s("data/x_wing.obj");
  s.handle_keyboard('=');
  s.handle_keyboard('-');
  EXPECT_EQ(s.lookat_speed, 0.999f) << "0.666 is not 2/3";
  ship t("data/x_wing.obj");
  for (int i = 0; i < 3; ++i) t.handle_keyboard('-');
  EXPECT_NEAR(t.lookat_speed, 0.2954, 1e-4);
  t.handle_keyboard('x');
  EXPECT_EQ(t.eye[0], t.lookat_speed) << "steps are scaled by the current speed";
}

TEST_F(ShipSteps, EachModeKeepsItsOwnStepAcrossModeChanges) {
  ship s("data/x_wing.obj");
  s.set_mode(RELATIVE, nullptr);
  s.handle_keyboard('=');
  s.set_mode(GEOSYNCH, planet[EARTH]);
  s.handle_keyboard('-');
  s.set_mode(LOOKAT, nullptr);
  EXPECT_EQ(s.lookat_speed, 1.0f);
  EXPECT_EQ(s.relative_speed, 1.5f);
  EXPECT_EQ(s.geosynch_speed, 0.666f);
}

TEST_F(ShipSteps, SixForwardStepsInGeosynchPassThroughTheBody) {
  ship s("data/x_wing.obj");
  s.set_mode(GEOSYNCH, planet[EARTH]);
  for (int i = 0; i < 6; ++i) s.handle_keyboard('w');
  EXPECT_EQ(s.geosynch_distance, -1.0f);
}

class RelativeMoves : public GlTest {};

// Several arguments in one call compose as Rz * Rx * Ry * pose; another order gives another view.
TEST_F(RelativeMoves, CombinedTurnComposesZThenXThenYOnTheLeft) {
  using namespace matrix_math;
  ship s("data/x_wing.obj");
  const mat4 view = oblique_view();
  set_pose(s, view);
  s.relative_turn = 15.0f;
  s.move_relative_roll(1, 2, 3);
  const mat4 expected =
      multiply(multiply(multiply(rotation(45, 0, 0, 1), rotation(30, 1, 0, 0)), rotation(15, 0, 1, 0)), view);
  EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), expected));
}

TEST_F(RelativeMoves, ForwardBringsWhatLiesAheadNearer) {
  using namespace matrix_math;
  ship s("data/x_wing.obj");
  set_pose(s, oblique_view());
  const vec3 target = transform_point(matrix_math::from_gl(s.pose), {-2, 1, 0.5});
  s.relative_speed = 2.5f;
  s.set_mode(RELATIVE, nullptr);
  s.handle_keyboard('w');
  const vec3 nearer = transform_point(matrix_math::from_gl(s.pose), {-2, 1, 0.5});
  EXPECT_NEAR(nearer[2], target[2] + 2.5f, 1e-4) << "eye-space z rises by the step";
  EXPECT_NEAR(nearer[0], target[0], 1e-5);
}

TEST_F(RelativeMoves, OppositeMovesReturnThePose) {
  ship s("data/x_wing.obj");
  const mat4 view = oblique_view();
  set_pose(s, view);
  s.set_mode(RELATIVE, nullptr);
  for (unsigned char key : {'w', 's', 'q', 'e', 'x', 'c', 'a', 'd'}) s.handle_keyboard(key);
  EXPECT_THAT(matrix_math::from_gl(s.pose), Pointwise(FloatNear(1e-4f), view));
}

TEST_F(RelativeMoves, LeaveTheCurrentMatrixAndStackAsFound) {
  ship s("data/x_wing.obj");
  set_pose(s, oblique_view());
  glTranslatef(4, 5, 6);
  const mat4 current = gl_test::current_modelview();
  s.move_relative_roll(1, 0, 0);
  s.move_relative_Z(1);
  EXPECT_EQ(gl_test::current_modelview(), current);
  EXPECT_EQ(gl_test::modelview_depth(), 1);
  glLoadIdentity();
}

}  // namespace
