// SPDX-License-Identifier: MIT
// The real executable: its windows as the user sees them on a private X server, the way out, and its options.
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "commands.h"
#include "lesson.h"
#include "running_demo.h"
#include "scene_names.h"
#include "x_session.h"

namespace {

using e2e::milliseconds;

constexpr auto window_deadline = milliseconds(20000);
constexpr auto exit_deadline = milliseconds(5000);

// Ends a program still running with Escape over its mother window, as a user would, so that its exit path
// and, in the sanitizer build, the leak check at exit run; a kill would skip both.
void end_with_escape(e2e::virtual_display& display, e2e::program& app) {
  if (!app.running()) return;
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  ASSERT_NE(mother, 0u);
  e2e::move_pointer(display.x(), mother, 10, 10);
  e2e::press_keysym(display.x(), XK_Escape);
  ASSERT_TRUE(app.wait_exit(exit_deadline).has_value()) << "still running after Escape";
  EXPECT_EQ(app.how_it_ended(), "exited with status 0");
}

class Startup : public testing::Test {
 protected:
  void TearDown() override { end_with_escape(display, app); }
  e2e::virtual_display display;
  e2e::program app{SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}};
};

TEST_F(Startup, OpensBothWindowsSideBySideAtTheirSizeAndPlace) {
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  const Window scout = e2e::find_window(display.x(), "Scout Ship", window_deadline);
  ASSERT_NE(mother, 0u);
  ASSERT_NE(scout, 0u);
  const e2e::geometry m = e2e::window_geometry(display.x(), mother);
  const e2e::geometry s = e2e::window_geometry(display.x(), scout);
  EXPECT_EQ(m.width, 512);
  EXPECT_EQ(m.height, 512);
  EXPECT_EQ(s.width, 512);
  EXPECT_EQ(s.height, 512);
  // No window manager runs on the test server, so the client areas sit exactly where they were asked for.
  EXPECT_EQ(m.x, 0);
  EXPECT_EQ(m.y, 100);
  EXPECT_EQ(s.x, 562);
  EXPECT_EQ(s.y, 100);
  EXPECT_TRUE(app.running());
}

TEST_F(Startup, EscapeEndsTheProcessWithStatusZero) {
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  ASSERT_NE(mother, 0u);
  e2e::move_pointer(display.x(), mother, 256, 256);
  e2e::press_keysym(display.x(), XK_Escape);
  const std::optional<int> status = app.wait_exit(exit_deadline);
  ASSERT_TRUE(status.has_value()) << "still running after Escape";
  EXPECT_EQ(*status, 0);
}

TEST_F(Startup, EscapeInTheScoutWindowEndsItToo) {
  const Window scout = e2e::find_window(display.x(), "Scout Ship", window_deadline);
  ASSERT_NE(scout, 0u);
  e2e::move_pointer(display.x(), scout, 10, 500);
  e2e::press_keysym(display.x(), XK_Escape);
  const std::optional<int> status = app.wait_exit(exit_deadline);
  ASSERT_TRUE(status.has_value()) << "still running after Escape";
  EXPECT_EQ(*status, 0);
}

TEST_F(Startup, OtherKeysDoNotEndTheProgram) {
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  ASSERT_NE(mother, 0u);
  e2e::move_pointer(display.x(), mother, 256, 256);
  for (char c : std::string("xqQ=-wsP")) e2e::type_char(display.x(), c);
  e2e::press_keysym(display.x(), XK_Escape);
  const std::optional<int> status = app.wait_exit(exit_deadline);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 0) << "the keys before Escape were handled without a crash";
}

// The program started with arguments on an X server of its own, and its two windows found (0 when missing).
struct started_program {
  explicit started_program(const std::vector<std::string>& arguments)
      : app{SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "", arguments},
        mother(e2e::find_window(display.x(), "Mother Ship", window_deadline)),
        scout(e2e::find_window(display.x(), "Scout Ship", window_deadline)) {}
  ~started_program() { end_with_escape(display, app); }
  e2e::virtual_display display;
  e2e::program app;
  Window mother, scout;
};

// Each window gets the keyboard, display and reshape callbacks and nothing else; a lesson's F keys add the
// special-key callback, in both windows.
TEST(Shell, RegistersTheSpecialKeyCallbackOnlyForALesson) {
  for (const bool lesson : {false, true}) {
    std::string expected;
    for (const char* title : ship_titles)
      for (const char* kind : {"keyboard", "display", "reshape", lesson ? "special" : nullptr})
        if (kind != nullptr) expected += std::string(title) + ": " + kind + "\n";
    const std::string log = e2e::make_own_file(testing::TempDir() + "callbacks_");
    e2e::virtual_display display;
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload, "CALLBACK_PROBE_FILE=" + log}, "",
                     lesson ? std::vector<std::string>{SOLAR_SOURCE_DIR "/docs/lessons/guide.lesson"}
                            : std::vector<std::string>{});
    ASSERT_NE(e2e::find_window(display.x(), "Scout Ship", window_deadline), 0u);
    e2e::wait_until(exit_deadline, [&] { return e2e::read_file(log) == expected; });
    EXPECT_EQ(e2e::read_file(log), expected) << (lesson ? "with a lesson" : "without a lesson");
    end_with_escape(display, app);
    std::remove(log.c_str());
  }
}

// GLUT takes -geometry itself; the program's own size and place must not override it silently.
TEST(Geometry, PlacesTheMotherWindowAndTheScoutTheSameSizeBesideIt) {
  const started_program started({"-geometry", "300x200+40+60"});
  ASSERT_NE(started.mother, 0u);
  ASSERT_NE(started.scout, 0u);
  const e2e::geometry m = e2e::window_geometry(started.display.x(), started.mother);
  const e2e::geometry s = e2e::window_geometry(started.display.x(), started.scout);
  EXPECT_EQ((std::array<int, 4>{m.x, m.y, m.width, m.height}), (std::array<int, 4>{40, 60, 300, 200}));
  EXPECT_EQ((std::array<int, 4>{s.x, s.y, s.width, s.height}), (std::array<int, 4>{390, 60, 300, 200}));
}

// A lesson made for 950x1000 windows, played on a 1280x720 screen as a file manager would start it: both
// windows on the screen side by side, neither over the other, each keeping the aspect it was made for.
TEST(Geometry, ALessonMadeForALargerScreenFitsTheOneItMeets) {
  const std::string own = e2e::make_own_file(testing::TempDir() + "large_"), lesson = own + ".lesson";
  std::ofstream(lesson) << "size = 950x1000\n[F1]\ntitle = x\nkeys =\n";
  e2e::virtual_display display("1280x720x24");
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "", {lesson});
  std::array<e2e::geometry, ship_count> placed{};
  for (int s = 0; s < ship_count; ++s) {
    const Window window = e2e::find_window(display.x(), ship_titles[s], window_deadline);
    ASSERT_NE(window, 0u) << ship_titles[s];
    placed[s] = e2e::window_geometry(display.x(), window);
    EXPECT_TRUE(placed[s].x >= 0 && placed[s].y >= 0 && placed[s].x + placed[s].width <= 1280 &&
                placed[s].y + placed[s].height <= 720)
        << ship_titles[s] << " at " << placed[s].width << "x" << placed[s].height << "+" << placed[s].x << "+"
        << placed[s].y;
    EXPECT_NEAR(double(placed[s].width) / placed[s].height, 0.95, 0.005);
  }
  EXPECT_GE(placed[SCOUT_SHIP].x, placed[MOTHER_SHIP].x + placed[MOTHER_SHIP].width) << "side by side";
  // No room is left below them: Tab makes the windows make room for the board, and a second Tab gives
  // them back their size and place.
  Display* x = display.x();
  const Window mother = e2e::find_window(x, ship_titles[MOTHER_SHIP], window_deadline);
  const auto same = [](const e2e::geometry& a, const e2e::geometry& b) {
    return std::tie(a.x, a.y, a.width, a.height) == std::tie(b.x, b.y, b.width, b.height);
  };
  e2e::move_pointer(x, mother, 10, 10);
  e2e::press_keysym(x, XK_Tab);
  const Window board = e2e::find_window(x, "Board", window_deadline);
  ASSERT_NE(board, 0u);
  ASSERT_TRUE(e2e::wait_until(milliseconds(10000),
                              [&] { return !same(e2e::window_geometry(x, mother), placed[MOTHER_SHIP]); }));
  const e2e::geometry b = e2e::window_geometry(x, board), m = e2e::window_geometry(x, mother);
  EXPECT_GE(b.y, m.y + m.height) << "the board below the shrunk windows";
  EXPECT_LE(b.y + b.height, 720);
  e2e::move_pointer(x, mother, 10, 10);
  e2e::press_keysym(x, XK_Tab);
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000),
                              [&] { return same(e2e::window_geometry(x, mother), placed[MOTHER_SHIP]); }));
  end_with_escape(display, app);
  std::remove(lesson.c_str());
  std::remove(own.c_str());
}

// The program's own options are answered before GLUT looks for a display, so they work without one.
std::string output_without_display(const std::string& argument, int& status) {
  std::string output;
  FILE* pipe = popen(("env -u DISPLAY " SOLAR_DEMO_PATH " " + argument + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  status = pclose(pipe);
  return output;
}

TEST(CommandLine, HelpAndVersionAnswerWithoutADisplay) {
  for (const char* help : {"--help", "-h"}) {
    int status = -1;
    const std::string usage = output_without_display(help, status);
    EXPECT_EQ(status, 0) << help;
    for (const char* part :
         {"Usage: solar_demo", "space: pick", "LOOKAT keys:", "RELATIVE keys:", "GEOSYNCH keys:"})
      EXPECT_NE(usage.find(part), std::string::npos) << help << " lacks " << part << " in:\n" << usage;
  }
  int status = -1;
  EXPECT_EQ(output_without_display("--version", status), "solar_demo " SOLAR_VERSION "\n");
  EXPECT_EQ(status, 0);
}

// freeglut's own message comes with its prefix and names $DISPLAY rather than the display the program was
// told to use: the program says it in one line of its own.
TEST(CommandLine, AnUnreachableDisplayIsNamedInOneLineOfTheProgramsOwn) {
  int status = -1;
  const std::string message = output_without_display("-display :4093", status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(message.rfind("solar_demo: ", 0), 0u) << message;
  EXPECT_NE(message.find("on display :4093; exiting\n"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
}

// --keys is how a lesson starts where it begins: the keys act before the first tick, in the mother window.
TEST(TypedKeys, GThenSixStartsWithTheMotherShipFollowingSaturn) {
  const started_program started({"--keys", "g6"});
  ASSERT_NE(started.mother, 0u);
  ASSERT_NE(started.scout, 0u);
  constexpr int saturn_index = 8;  // in the body catalogue
  const e2e::colour saturn = e2e::body_colour(saturn_index);
  const auto centre = [&](Window w) { return e2e::capture(started.display.x(), w).at(256, 256); };
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
    return e2e::has_hue(centre(started.mother), saturn);
  })) << "Saturn fills the middle of the mother window";
  EXPECT_FALSE(e2e::has_hue(centre(started.scout), saturn)) << "the scout did not move";
}

// Keys typed before the first frame must act on the start-up view: "r" turning from a pose no frame had
// stored yet would start RELATIVE at the sun's centre. Paused at once, "pr" must show exactly what "p" shows.
TEST(TypedKeys, RelativeStartsFromTheStartUpView) {
  std::array<e2e::image, 2> shown;
  for (const char* keys : {"p", "pr"}) {
    e2e::virtual_display display;
    const e2e::swap_count swap_file;
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload, swap_file.environment()}, "",
                     {"--keys", keys});
    const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
    ASSERT_NE(mother, 0u);
    // Paused before the first tick, every frame after a context's first is the same (the first has no line
    // smoothing yet): wait for three of each window, then for the picture that stays.
    ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] { return swap_file.swaps() >= 6; }));
    e2e::image last;
    ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
      const e2e::image now = e2e::capture(display.x(), mother);
      const bool still = now == last;
      last = now;
      return still;
    }));
    shown[keys[1] == 'r'] = last;
    end_with_escape(display, app);
  }
  EXPECT_TRUE(shown[0] == shown[1]) << "RELATIVE begins where the start-up view is";
}

// A picture the tour wrote: a binary PPM of the size the windows open at, top row first as X delivers it.
e2e::image read_ppm(const std::string& path) {
  const std::string bytes = e2e::read_file(path);
  const std::string header = "P6\n512 512\n255\n";
  e2e::image picture;
  if (bytes.compare(0, header.size(), header) != 0) return picture;
  picture.width = picture.height = 512;
  picture.rgb.assign(bytes.begin() + header.size(), bytes.end());
  return picture;
}

// Both windows of a program started with these arguments, paused from the start: once every context has
// drawn its first frames (the first has no line smoothing yet), the pictures that stand still.
std::array<e2e::image, ship_count> still_pictures(const std::vector<std::string>& arguments) {
  std::array<e2e::image, ship_count> shown;
  e2e::virtual_display display;
  const e2e::swap_count swap_file;
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload, swap_file.environment()}, "",
                   arguments);
  std::array<Window, ship_count> windows{};
  for (int s = 0; s < ship_count; ++s) {
    windows[s] = e2e::find_window(display.x(), ship_titles[s], window_deadline);
    EXPECT_NE(windows[s], 0u) << ship_titles[s];
    if (windows[s] == 0) return {};
  }
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] { return swap_file.swaps() >= 6; }));
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
    bool still = true;
    for (int s = 0; s < ship_count; ++s) {
      const e2e::image now = e2e::capture(display.x(), windows[s]);
      still = still && now == shown[s];
      shown[s] = now;
    }
    return still;
  }));
  end_with_escape(display, app);
  return shown;
}

// The README's pictures come from the tour, which builds every pair in one process, scene after scene; the
// pick pair, made last, must still be what a user gets from the command line the README gives beside it.
TEST(PictureTour, ThePickPairIsWhatTheProgramShowsWithTheKeysAndPickTheReadmeGives) {
  const std::array<e2e::image, ship_count> shown =
      still_pictures({"--keys", "p<g5ssssssssssssssskv", "--pick", "220,298"});
  e2e::virtual_display display;
  const std::string folder = testing::TempDir();
  e2e::program tour(SCREENSHOT_TOUR_PATH, display.name(), {e2e::probe_preload}, "", {folder});
  const std::optional<int> status = tour.wait_exit(milliseconds(120000));
  ASSERT_TRUE(status.has_value()) << "the tour is still running";
  ASSERT_EQ(*status, 0) << tour.how_it_ended();
  EXPECT_TRUE(read_ppm(folder + "/pick_mother.ppm") == shown[MOTHER_SHIP]) << "the mother window";
  EXPECT_TRUE(read_ppm(folder + "/pick_scout.ppm") == shown[SCOUT_SHIP]) << "the scout window";
}

// A state's keys and pick as the command line gives them, paused first so that the pictures stand still.
std::vector<std::string> start_up_arguments(const lesson_state& state) {
  std::vector<std::string> arguments = {"--keys", "p" + state.keys};
  if (!state.pick) return arguments;
  const start_pick& pick = *state.pick;
  arguments.push_back(pick.holds_still ? "--inspect" : "--pick");
  const auto percent = [](double fraction) { return std::to_string(fraction * 100) + "%"; };
  arguments.push_back((pick.in_scout ? "scout:" : "") +
                      (pick.aim == pick_aim::body ? pick.body
                       : pick.aim == pick_aim::fraction
                           ? percent(pick.fraction[0]) + "," + percent(pick.fraction[1])
                           : std::to_string(pick.at[0]) + "," + std::to_string(pick.at[1])));
  return arguments;
}

// The rows of a picture below its top: a state's name stands there for three seconds, in a notice of up to
// two lines that a start with the state's keys does not show.
constexpr int notice_rows = 40;
e2e::image below_notice(const e2e::image& picture) {
  e2e::image rest = picture;
  if (rest.height <= notice_rows) return rest;
  rest.height -= notice_rows;
  rest.rgb.erase(rest.rgb.begin(), rest.rgb.begin() + 3 * notice_rows * rest.width);
  return rest;
}

// F1 to F12 go to a lesson's states: each shows what starting the program with the state's keys and pick
// shows, pixel for pixel below the state's name (the status band off), whatever state came before. Every
// state of every shipped lesson, each paused first but F1, which is gone to last, from a paused state, and
// must run.
TEST(Lesson, EachFKeyShowsWhatStartingWithTheStatesKeysAndPickShows) {
  for (const auto& shipped : std::filesystem::directory_iterator(SOLAR_SOURCE_DIR "/docs/lessons")) {
    const lesson_reading lesson = read_lesson_file(shipped.path().string(), demo_refuse_typed_key);
    ASSERT_EQ(lesson.error, "");
    const std::string paused = e2e::make_own_file(testing::TempDir() + "paused_lesson_");
    std::istringstream shipped_text(e2e::read_file(shipped.path().string()));
    std::ofstream copy(paused);
    bool in_first = false;
    for (std::string line; std::getline(shipped_text, line);) {
      if (line.rfind("[", 0) == 0) in_first = line == "[F1]";
      copy << (line.rfind("keys", 0) == 0 && !in_first
                   ? "keys = p" + line.substr(std::min(line.find_first_not_of("= ", 4), line.size()))
                   : line)
           << '\n';
    }
    copy.close();
    e2e::virtual_display display;
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "", {"--lesson", paused});
    std::array<Window, ship_count> windows{};
    for (int s = 0; s < ship_count; ++s)
      windows[s] = e2e::find_window(display.x(), ship_titles[s], window_deadline);
    ASSERT_NE(windows[SCOUT_SHIP], 0u);
    for (int k = 1; k <= lesson_state_count; ++k) {
      const int i = k % lesson_state_count;
      const auto& state = lesson.read.states[size_t(i)];
      if (!state) continue;
      e2e::move_pointer(display.x(), windows[i % ship_count], 100, 100);
      if (i == 0) {
        // Rows where the outer planets move and no band reaches: the state's name, a notice for three
        // seconds, moves the bands below it when it goes.
        const auto scene = [&] {
          return e2e::capture_region(display.x(), windows[MOTHER_SHIP], 0, 285, 512, 75);
        };
        const auto changes = [&](const e2e::image& from) {
          return e2e::wait_until(milliseconds(10000), [&] { return !(scene() == from); });
        };
        const e2e::image before = scene();
        e2e::press_keysym(display.x(), XK_F1);
        EXPECT_TRUE(changes(before)) << "F1 changed nothing";
        EXPECT_TRUE(changes(scene())) << shipped.path() << " F1, gone to from a paused state, does not run";
        continue;
      }
      const std::array<e2e::image, ship_count> expected = still_pictures(start_up_arguments(*state));
      e2e::press_keysym(display.x(), XK_F1 + unsigned(i));
      const auto shows_the_state = [&](int s) {
        return below_notice(e2e::capture(display.x(), windows[s])) == below_notice(expected[s]);
      };
      EXPECT_TRUE(e2e::wait_until(
          milliseconds(10000), [&] { return shows_the_state(MOTHER_SHIP) && shows_the_state(SCOUT_SHIP); }))
          << shipped.path() << " F" << i + 1 << ": " << state->title;
    }
    end_with_escape(display, app);
    std::remove(paused.c_str());
  }
}

// Double-clicked, a lesson that cannot be used must not end in a line on a terminal nobody sees: the program
// opens without it and says why at the top of both windows until a key is pressed. (Named with --lesson, it
// stays a usage error: the refusals below.)
TEST(Lesson, OneHandedOverByItselfThatCannotBeUsedIsSaidInBothWindowsUntilAKey) {
  const std::string made = e2e::make_own_file(testing::TempDir() + "unusable_");
  const std::string lesson = made + ".LESSON";
  std::ofstream(lesson) << "[F1]\ntitle = x\nkeys = gQ\n";
  const std::string errors = e2e::make_own_file(testing::TempDir() + "unusable_errors_");
  e2e::virtual_display display;
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, errors, {lesson});
  std::array<Window, ship_count> windows{};
  for (int s = 0; s < ship_count; ++s)
    windows[s] = e2e::find_window(display.x(), ship_titles[s], window_deadline);
  ASSERT_NE(windows[SCOUT_SHIP], 0u);
  // Text lights hundreds of pixels of the top rows, where the start-up scene has none.
  const auto said = [&](Window w) {
    const e2e::image top = e2e::capture_region(display.x(), w, 0, 0, 512, 40);
    int lit = 0;
    for (int y = 0; y < top.height; ++y)
      for (int x = 0; x < top.width; ++x) lit += top.at(x, y).r > 150 && top.at(x, y).g > 150;
    return lit > 200;
  };
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] { return said(windows[0]) && said(windows[1]); }));
  EXPECT_NE(e2e::read_file(errors).find(".LESSON:3: keys cannot type 'Q'"), std::string::npos)
      << e2e::read_file(errors);
  e2e::move_pointer(display.x(), windows[SCOUT_SHIP], 256, 256);
  e2e::press_keysym(display.x(), XK_p);
  EXPECT_TRUE(e2e::wait_until(milliseconds(10000), [&] { return !said(windows[0]) && !said(windows[1]); }));
  end_with_escape(display, app);
  for (const std::string& file : {made, lesson, errors}) std::remove(file.c_str());
}

// What the program says on a display of its own when it refuses a command line, and how it ends.
struct refusal {
  std::optional<int> status;
  std::string said;
};
refusal refused_on_a_display(const std::vector<std::string>& arguments) {
  e2e::virtual_display display;
  const std::string errors = e2e::make_own_file(testing::TempDir() + "refused_errors_");
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, errors, arguments);
  refusal result{app.wait_exit(window_deadline), ""};
  result.said = e2e::read_file(errors);
  std::remove(errors.c_str());
  return result;
}

// A position outside the mother window would pick nothing, silently.
TEST(TypedKeys, APickOutsideTheMotherWindowIsAUsageError) {
  const refusal refused = refused_on_a_display({"--pick", "512,10"});
  ASSERT_TRUE(refused.status.has_value());
  EXPECT_EQ(*refused.status, 2);
  EXPECT_EQ(refused.said.rfind("solar_demo: --pick 512,10 lies outside", 0), 0u) << refused.said;
}

// Usage errors end the program with status 2 and one line of its own, before any display is needed.
TEST(CommandLine, AMissingValueOrARepeatedOptionIsAUsageError) {
  for (const char* arguments :
       {"-geometry", "--keys", "--keys g --keys n", "--pick", "--pick 3", "--pick -1,5",
        "--pick 1,2 --pick 3,4", "--pick 1,2 --inspect 3,4", "--inspect", "--inspect scout:", "--text-scale",
        "--text-scale 5", "--text-scale 0", "--text-scale 1.5", "--board garbage", "--board -5x5"}) {
    int status = -1;
    const std::string message = output_without_display(arguments, status);
    EXPECT_EQ(WEXITSTATUS(status), 2) << arguments << ": " << message;
    EXPECT_EQ(message.rfind("solar_demo: ", 0), 0u) << message;
    EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
  }
  int status = -1;
  EXPECT_EQ(output_without_display("--keys -h", status).find("Usage"), std::string::npos)
      << "\"-h\" is two keys to type, not a request for help";
}

// Which pixels of the window's top-left corner are in the text's colour, row by row: the status band's first
// words, "Mother Ship, has", and the margins around them, as the program draws them at a text scale: paused,
// with the status band on, in an 800-pixel window on a display of its own whose Xft.dpi resource is dpi (""
// for none), set as xrdb sets it.
struct glyph_mask {
  int width = 0;
  std::vector<bool> on;
};
glyph_mask status_glyphs(int scale, const std::string& dpi, std::vector<std::string> environment,
                         std::vector<std::string> arguments) {
  e2e::virtual_display display;
  const std::string resources = "Xft.dpi:\t" + dpi + "\n";
  if (!dpi.empty())
    XChangeProperty(display.x(), DefaultRootWindow(display.x()), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    int(resources.size()));
  XSync(display.x(), False);
  environment.push_back(e2e::probe_preload);
  // Wide enough for the full margin at scale 3: a window under 256 text pixels gets a narrower one.
  arguments.insert(arguments.end(), {"--keys", "ph", "-geometry", "800x800"});
  e2e::program app(SOLAR_DEMO_PATH, display.name(), environment, "", arguments);
  glyph_mask shown{scale * (6 + 16 * 8), {}};
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  if (mother == 0) return {};
  e2e::wait_until(milliseconds(10000), [&] {
    const e2e::image now = e2e::capture_region(display.x(), mother, 0, 0, shown.width, scale * (6 + 15));
    const std::vector<bool> last = shown.on;
    shown.on.clear();
    for (size_t i = 0; i + 2 < now.rgb.size(); i += 3)
      shown.on.push_back(now.rgb[i] == 255 && now.rgb[i + 1] == 255 && now.rgb[i + 2] == 153);
    return std::count(shown.on.begin(), shown.on.end(), true) > 0 && shown.on == last;
  });
  end_with_escape(display, app);
  return shown;
}

// Whether the scaled mask is the unscaled one with each pixel a crisp scale x scale block.
bool blocks_of(const glyph_mask& scaled, const glyph_mask& unscaled, int scale) {
  if (scaled.width != scale * unscaled.width ||
      scaled.on.size() != size_t(scale * scale) * unscaled.on.size())
    return false;
  for (size_t i = 0; i < scaled.on.size(); ++i) {
    const size_t x = i % size_t(scaled.width), y = i / size_t(scaled.width);
    if (scaled.on[i] != unscaled.on[y / size_t(scale) * size_t(unscaled.width) + x / size_t(scale)])
      return false;
  }
  return true;
}

// A desktop scaled by 2 says Xft.dpi: 192; GDK_SCALE overrides it, and --text-scale both. Each glyph pixel is
// then a crisp block, the margins grow with the glyphs, and the words are those of scale 1.
TEST(TextScale, FollowsXftDpiUnlessGdkScaleOrTheOptionSaysOtherwiseEachGlyphPixelABlock) {
  const glyph_mask unscaled = status_glyphs(1, "", {}, {});
  ASSERT_GT(std::count(unscaled.on.begin(), unscaled.on.end(), true), 200);
  EXPECT_TRUE(blocks_of(status_glyphs(2, "192", {}, {}), unscaled, 2)) << "Xft.dpi: 192";
  EXPECT_TRUE(blocks_of(status_glyphs(3, "192", {"GDK_SCALE=3"}, {}), unscaled, 3)) << "GDK_SCALE=3";
  EXPECT_TRUE(blocks_of(status_glyphs(1, "192", {"GDK_SCALE=3"}, {"--text-scale", "1"}), unscaled, 1))
      << "--text-scale 1";
}

// A size X cannot hold would end in an X error that does not name -geometry; one with more pixels than the
// driver draws, in a crash inside the software renderer at the first frame. The board's sides must each be
// one the driver draws.
TEST(Geometry, ASizeXCannotHoldOrTheDriverCannotDrawIsRefusedNamingTheOption) {
  for (const auto& [option, size, said] :
       {std::tuple{"-geometry", "65536x100", "\"65536x100\" is not"},
        {"-geometry", "32767x32767", "32767x32767 has more pixels than this driver draws"},
        {"--board", "16385x10", "16385x10 is larger than this driver draws"}}) {
    const refusal refused = refused_on_a_display({option, size});
    ASSERT_TRUE(refused.status.has_value()) << size;
    EXPECT_EQ(*refused.status, 2) << size;
    EXPECT_EQ(refused.said.rfind(std::string("solar_demo: ") + option + " " + said, 0), 0u) << refused.said;
  }
}

// A key that needs the pointer or that nothing takes, and a lesson that cannot be used, are told in one
// printable line with status 2, whatever bytes the file's name and lines hold; a pipe is refused unopened,
// where reading would wait for a writer for ever.
TEST(TypedKeys, AKeyThatNeedsThePointerOrThatNothingTakesIsRefused) {
  const std::string pipe = e2e::make_own_file(testing::TempDir() + "pipe_");
  std::remove(pipe.c_str());
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string hostile = e2e::make_own_file(testing::TempDir() + "bad\n\x1b]0;PWNED\x07");
  std::ofstream(hostile) << "\x1b]0;PWNED\x07\x1b[2J\r" << std::string(500000, 'x') << '\n';
  setenv("PIPE_LESSON", pipe.c_str(), 1);
  setenv("HOSTILE_LESSON", hostile.c_str(), 1);
  for (const auto& [arguments, said] :
       {std::pair{"--keys g' '", "--keys cannot type space"},
        {"--keys gQ", "--keys cannot type 'Q'"},
        {"--keys 0", "--keys cannot type '0'"},
        {"--lesson \"$PIPE_LESSON\"", "is a pipe"},
        {"--lesson \"$HOSTILE_LESSON\"", ":1: \"\\x1b]0;PWNED\\x07\\x1b[2J\\x0dxxx"}}) {
    int status = -1;
    const std::string message = output_without_display(arguments, status);
    EXPECT_EQ(WEXITSTATUS(status), 2) << message;
    EXPECT_EQ(message.rfind("solar_demo: ", 0), 0u) << message;
    EXPECT_NE(message.find(said), std::string::npos) << message;
    EXPECT_LT(message.size(), 400u);
    EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
    EXPECT_TRUE(std::all_of(message.begin(), message.end() - 1, [](char c) { return c >= ' ' && c <= '~'; }))
        << "one line of printable text: " << message;
  }
  std::remove(pipe.c_str());
  std::remove(hostile.c_str());
}

// Without any display freeglut would say "failed to open display '' on no display".
TEST(CommandLine, WithoutADisplayItSaysWhatToDoInOneLine) {
  int status = -1;
  EXPECT_EQ(output_without_display("", status),
            "solar_demo: cannot open a display: DISPLAY is not set (use a desktop session or ssh -X)\n");
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace

namespace {

// Whether a window has drawn its first frame: nothing is black all over.
bool drawn(const e2e::image& shot) {
  return std::any_of(shot.rgb.begin(), shot.rgb.end(), [](unsigned char c) { return c != 0; });
}

// A PNG file's pixels, top row first; nothing when it cannot be read.

// Fly, pick and narrow the scout's lens, then save with S and W: each window's PNG is its pixels, and a fresh
// start with the saved file brings back, with F1, the very picture of the moment of saving in both windows.
TEST(SavedState, AFreshStartReachesThePictureOfTheMomentOfSavingByItsFKey) {
  const std::string own = e2e::make_own_file(testing::TempDir() + "saves_");
  const std::filesystem::path folder = own + ".d";
  const std::string saved = (folder / "class.lesson").string();
  std::array<e2e::image, ship_count> at_saving;
  {
    e2e::virtual_display display;
    const e2e::swap_count swaps;
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload, swaps.environment()}, "",
                     {"--save-to", saved, "--keys", "p<gww((r=wwxki", "--inspect", "scout:50%,50%"});
    std::array<Window, ship_count> windows{};
    for (int s = 0; s < ship_count; ++s)
      windows[s] = e2e::find_window(display.x(), ship_titles[s], window_deadline);
    ASSERT_NE(windows[SCOUT_SHIP], 0u);
    // Still across two ticks of both windows (each window's first frame shows the other ship where that
    // ship's camera stood before its own first frame).
    long since = swaps.swaps();
    ASSERT_TRUE(e2e::wait_until(milliseconds(20000), [&] {
      const std::array<e2e::image, ship_count> last = at_saving;
      for (int s = 0; s < ship_count; ++s) at_saving[s] = e2e::capture(display.x(), windows[s]);
      if (!(at_saving == last) || !drawn(at_saving[MOTHER_SHIP]) || !drawn(at_saving[SCOUT_SHIP]))
        since = swaps.swaps();
      return swaps.swaps() - since >= 5;
    }));
    e2e::move_pointer(display.x(), windows[MOTHER_SHIP], 10, 10);
    e2e::press_keysym(display.x(), XK_W);  // drawn before its own word shows
    for (const char* window : {"mother", "scout"}) {
      std::string picture;
      ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
        std::error_code not_yet;  // the program makes the folder
        for (const auto& entry : std::filesystem::directory_iterator(folder, not_yet))
          if (entry.path().string().find(std::string(window) + ".png") != std::string::npos)
            picture = entry.path().string();
        return !picture.empty() && e2e::read_png(picture).width > 0;
      }));
      EXPECT_TRUE(e2e::read_png(picture) == at_saving[window[0] == 'm' ? MOTHER_SHIP : SCOUT_SHIP])
          << picture;
    }
    e2e::press_keysym(display.x(), XK_S);
    ASSERT_TRUE(e2e::wait_until(milliseconds(10000), [&] {
      return e2e::read_file(saved).find("kept pick outcome") != std::string::npos;
    }));
    end_with_escape(display, app);
  }
  e2e::virtual_display display;
  e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "", {"--lesson", saved});
  std::array<Window, ship_count> windows{};
  for (int s = 0; s < ship_count; ++s)
    windows[s] = e2e::find_window(display.x(), ship_titles[s], window_deadline);
  ASSERT_NE(windows[SCOUT_SHIP], 0u);
  ASSERT_TRUE(e2e::wait_until(milliseconds(10000),
                              [&] { return drawn(e2e::capture(display.x(), windows[SCOUT_SHIP])); }));
  e2e::move_pointer(display.x(), windows[MOTHER_SHIP], 10, 10);
  e2e::press_keysym(display.x(), XK_F1);
  // The state's name shows for three seconds, then the picture is the saved one.
  EXPECT_TRUE(e2e::wait_until(milliseconds(15000), [&] {
    return e2e::capture(display.x(), windows[MOTHER_SHIP]) == at_saving[MOTHER_SHIP] &&
           e2e::capture(display.x(), windows[SCOUT_SHIP]) == at_saving[SCOUT_SHIP];
  }));
  end_with_escape(display, app);
  std::filesystem::remove_all(folder);
  std::remove(own.c_str());
}

}  // namespace
