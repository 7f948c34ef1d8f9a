// SPDX-License-Identifier: MIT
// The board at a projector's size: every number both windows' bands would show is on it whole, and the scene
// windows keep the status band's first line alone above their scenes.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "overlay_board.h"
#include "overlay_text.h"
#include "running_demo.h"
#include "x_session.h"

namespace {

using e2e::milliseconds;

bool lit(const e2e::image& shot, int x, int y) {
  const e2e::image::pixel p = shot.at(x, y);
  return p.r == text_rgba[0] && p.g == text_rgba[1] && p.b == text_rgba[2];
}

// The text's pixels from row first down.
int lit_below(const e2e::image& shot, int first) {
  int count = 0;
  for (int y = first; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) count += lit(shot, x, y);
  return count;
}

// Whether the line's glyphs stand with their top-left corner at (left, top), each glyph pixel a scale x scale
// block, and nothing else lit in their cells.
bool line_at(const e2e::image& shot, const std::string& line, int scale, int left, int top) {
  for (size_t c = 0; c < line.size(); ++c)
    for (int row = 0; row < glyph_height_px; ++row)
      for (int column = 0; column < glyph_width_px; ++column) {
        const int x = left + scale * (int(c) * glyph_width_px + column);
        const int y = top + scale * (glyph_height_px - 1 - row);
        if (lit(shot, x, y) != font_pixel(static_cast<unsigned char>(line[c]), column, row)) return false;
      }
  return true;
}

// How many times the line stands whole in the picture at that scale.
int count_line(const e2e::image& shot, const std::string& line, int scale) {
  const int width = scale * glyph_width_px * int(line.size()), height = scale * glyph_height_px;
  int found = 0;
  for (int top = 0; top + height <= shot.height; ++top)
    for (int left = 0; left + width <= shot.width; ++left) found += line_at(shot, line, scale, left, top);
  return found;
}

// The window's picture once it stands still: two captures in a row alike, and unlike the one given.
e2e::image settled(Display* x, Window w, const e2e::image& unlike = {}) {
  e2e::image last, now;
  e2e::wait_until(milliseconds(10000), [&] {
    last = now;
    now = e2e::capture(x, w);
    return now == last && !(now == unlike);
  });
  return now;
}

// With the board open, "h" changes only the rows of the status band's one line: nothing else is drawn over
// the scenes.
TEST(Board, HoldsEveryNumberOfBothWindowsWholeWhileTheScenesKeepTheStatusLineAlone) {
  e2e::virtual_display display("1920x1600x24");
  const std::string own = e2e::make_own_file(testing::TempDir() + "board_saves_");
  const std::filesystem::path folder = own + ".d";
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "",
                   {"--board", "1920x540+0+700", "--text-scale", "3", "--keys", "pikth", "--inspect",
                    "50%,50%", "--save-to", (folder / "class.lesson").string()});
  Display* x = display.x();
  const Window board = e2e::find_window(x, "Board", e2e::window_deadline);
  const Window mother = e2e::find_window(x, "Mother Ship", e2e::window_deadline);
  ASSERT_NE(board, 0u);
  ASSERT_NE(mother, 0u);
  EXPECT_EQ(e2e::window_geometry(x, board).width * e2e::window_geometry(x, board).height, 1920 * 540);
  // The start-up scene, paused: the projection for 70 degrees, 512/512, planes 0.1 and 2000 (-2001/1999.9
  // and -400/1999.9 in the third row), and the inspect at the window's middle pixel.
  const std::string heading = "Mother Ship's camera, LOOKAT";
  e2e::image shot;
  int scale = 0;
  ASSERT_TRUE(e2e::wait_until(milliseconds(10000),
                              [&] {
                                shot = e2e::capture(x, board);
                                for (scale = largest_board_scale; scale >= 1; --scale)
                                  if (count_line(shot, heading, scale) == 1) return true;
                                return false;
                              }))
      << "no whole \"" << heading << "\" on the board";
  for (const auto& [line, times] : std::initializer_list<std::pair<std::string, int>>{
           {"Scout Ship's camera, LOOKAT", 1},
           {"gluPerspective(70, 1.0000, 0.1, 2000)", 2},
           {"aspect = width/height = 512/512", 2},
           {"[    0.0000    0.0000   -1.0001   -0.2000 ]", 2},
           {"last pick: gluPickMatrix(256, 256, 10, 10, {0, 0, 512, 512})", 1},
           {"Sun: inspected, no ship sent", 1},
           {"transform chain of Sun, from the root:", 1},
           {"world_pose of Sun:", 1},
           {"...", 0}})
    EXPECT_EQ(count_line(shot, line, scale), times) << line << " at scale " << scale;
  // The scene windows: "h" off leaves every row below the status line as it was.
  constexpr int status_line_rows = 3 * (2 * 2 + glyph_height_px);  // scale 3, a small window's margins
  int scene_text = 0;
  for (const Window scene : {mother, e2e::find_window(x, "Scout Ship", e2e::window_deadline)}) {
    const e2e::image with_status = settled(x, scene);
    if (scene == mother) scene_text = lit_below(with_status, status_line_rows);
    e2e::move_pointer(x, scene, 256, 256);
    e2e::press_keysym(x, XK_h);
    const e2e::image without = settled(x, scene, with_status);
    ASSERT_FALSE(without == with_status) << "h changed nothing";
    e2e::press_keysym(x, XK_h);
    ASSERT_TRUE(settled(x, scene, without) == with_status) << "h twice is not as before";
    EXPECT_EQ(lit_below(without, status_line_rows), lit_below(with_status, status_line_rows));
  }
  // Tab closes the board, and the bands come back to the scenes.
  e2e::move_pointer(x, mother, 256, 256);
  e2e::press_keysym(x, XK_Tab);
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000),
                              [&] { return e2e::find_window(x, "Board", milliseconds(0)) == 0; }));
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
    return lit_below(e2e::capture(x, mother), status_line_rows) > scene_text + 1000;
  })) << "no bands in the mother window after Tab";
  // Two Tabs in one burst close the board and open another, though GLUT closes the first only later; a board
  // destroyed by another program closes alone, the scenes take their bands back, and Tab opens a new one.
  const auto board_other_than = [&](Window before) {
    Window found = 0;
    e2e::wait_until(milliseconds(10000), [&] {
      found = e2e::find_window(x, "Board", milliseconds(0));
      return found != 0 && found != before;
    });
    return found == before ? 0 : found;
  };
  e2e::press_keysym(x, XK_Tab);
  const Window first = board_other_than(0);
  e2e::press_keysym(x, XK_Tab);
  e2e::press_keysym(x, XK_Tab);
  const Window second = board_other_than(first);
  ASSERT_NE(second, 0u) << "no new board after two Tabs: " << app.how_it_ended();
  XDestroyWindow(x, second);
  XSync(x, False);
  EXPECT_TRUE(e2e::wait_until(
      milliseconds(10000),
      [&] { return lit_below(e2e::capture(x, mother), status_line_rows) > scene_text + 1000; }))
      << "the board destroyed by another program is not closed: " << app.how_it_ended();
  e2e::press_keysym(x, XK_Tab);
  const Window last = board_other_than(second);
  ASSERT_NE(last, 0u) << "Tab opens no board after the last was destroyed";
  // W writes the board's picture beside the scenes', as it shows.
  ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] { return lit_below(e2e::capture(x, last), 0) > 0; }));
  const e2e::image board_shows = settled(x, last);
  e2e::move_pointer(x, mother, 256, 256);
  e2e::press_keysym(x, XK_W);
  std::string picture;
  ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
    std::error_code not_yet;  // the program makes the folder
    for (const auto& entry : std::filesystem::directory_iterator(folder, not_yet))
      if (entry.path().string().find("-board.png") != std::string::npos) picture = entry.path().string();
    return !picture.empty() && e2e::read_png(picture).width > 0;
  }));
  EXPECT_TRUE(e2e::read_png(picture) == board_shows) << picture;
  std::filesystem::remove_all(folder);
  std::remove(own.c_str());
  e2e::press_keysym(x, XK_Escape);
  ASSERT_TRUE(app.wait_exit(e2e::exit_deadline).has_value());
  EXPECT_EQ(app.how_it_ended(), "exited with status 0");
}

// A state whose numbers the bands would cut ("i" at text scale 3 in a 512-pixel window) opens the board with
// the state's title at its top, where the class looks; a lesson that says "board = off" keeps it closed, and
// the title shows in the window as before.
TEST(Board, AStateWhoseNumbersTheBandsWouldCutOpensItHeadedByTheStatesTitle) {
  const std::string title = "F1: Camera";
  for (const bool off : {false, true}) {
    const std::string lesson = e2e::make_own_file(testing::TempDir() + "numbers_lesson_");
    std::ofstream(lesson) << "text scale = 3\n"
                          << (off ? "board = off\n" : "") << "[F1]\ntitle = Camera\nkeys = pi\n";
    e2e::virtual_display display("1920x1600x24");
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "", {"--lesson", lesson});
    Display* x = display.x();
    const Window mother = e2e::find_window(x, "Mother Ship", e2e::window_deadline);
    ASSERT_NE(mother, 0u);
    EXPECT_EQ(e2e::find_window(x, "Board", milliseconds(0)), 0u) << "a board before any state";
    e2e::move_pointer(x, mother, 256, 256);
    e2e::press_keysym(x, XK_F1);
    if (off) {
      EXPECT_TRUE(e2e::wait_until(milliseconds(10000),
                                  [&] { return count_line(e2e::capture(x, mother), title, 3) > 0; }));
      EXPECT_EQ(e2e::find_window(x, "Board", milliseconds(0)), 0u) << "board = off";
    } else {
      const Window board = e2e::find_window(x, "Board", e2e::window_deadline);
      ASSERT_NE(board, 0u) << "no board for numbers the bands cut";
      EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
        const e2e::image shot = e2e::capture(x, board);
        for (int scale = largest_board_scale; scale >= 1; --scale)
          if (count_line(shot, title, scale) > 0) return true;
        return false;
      })) << "the state's title is not on the board";
    }
    e2e::press_keysym(x, XK_Escape);
    ASSERT_TRUE(app.wait_exit(e2e::exit_deadline).has_value());
    std::remove(lesson.c_str());
  }
}

}  // namespace
