// SPDX-License-Identifier: MIT
// The -geometry reader: what X's own reader makes of a value, parts left out keeping the defaults.
#include "command_line.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "commands.h"
#include "lesson.h"
#include "picture_file.h"
#include "state_saving.h"

namespace {

std::array<int, 4> read(const char* value) {
  const window_placement defaults = {512, 512, 0, 100};
  const std::optional<window_placement> placed = compute_geometry(value, defaults, 1280, 1024);
  if (!placed) return {-1, -1, -1, -1};
  return {placed->width, placed->height, placed->x, placed->y};
}

TEST(Geometry, ReadsSizeAndPlaceAsXDoesAndRefusesWhatItCannotRead) {
  EXPECT_EQ(read("300x200+40+60"), (std::array<int, 4>{300, 200, 40, 60}));
  EXPECT_EQ(read("=640X480"), (std::array<int, 4>{640, 480, 0, 100})) << "size only: the default place";
  EXPECT_EQ(read("+5+7"), (std::array<int, 4>{512, 512, 5, 7})) << "place only: the default size";
  EXPECT_EQ(read("300x200-0-10"), (std::array<int, 4>{300, 200, 980, 814})) << "from the right and bottom";
  for (const char* bad : {"", "300", "300x", "x200", "300x200+4", "300x200+4+5junk", "0x200", "300x200++4+5"})
    EXPECT_EQ(read(bad)[0], -1) << '"' << bad << '"';
}

// X holds sizes in 16 bits and places in 16 signed bits: beyond them 1000000x1 wraps to 16960x1 and
// 65536x100 ends in an X error that does not name -geometry.
TEST(Geometry, TakesOnlyWhatXCanHold) {
  EXPECT_EQ(read("65535x1+32767-0"), (std::array<int, 4>{65535, 1, 32767, 1023}));
  EXPECT_EQ(read("1x1-32767+0"), (std::array<int, 4>{1, 1, 1279 - 32767, 0}));
  EXPECT_EQ(read("1281x1-32767+0"), (std::array<int, 4>{1281, 1, -32768, 0})) << "the leftmost place X holds";
  for (const char* bad : {"65536x100", "1000000x1", "100x65536", "512x512+32768+0", "512x512+0+99999",
                          "40000x10-32767+0", "1282x1-32767+0"})
    EXPECT_EQ(read(bad)[0], -1) << '"' << bad << '"';
}

// Beside the mother window whatever the screen, the scout window of "-0-0" would lie wholly off it.
TEST(Geometry, TheScoutWindowLandsOnTheScreen) {
  const auto scout = [](window_placement mother) {
    const window_placement s = compute_scout_placement(mother, 50, 1280, 1024);
    return std::array<int, 4>{s.width, s.height, s.x, s.y};
  };
  EXPECT_EQ(scout({512, 512, 0, 100}), (std::array<int, 4>{512, 512, 562, 100})) << "beside, on the right";
  EXPECT_EQ(scout({300, 200, 980, 824}), (std::array<int, 4>{300, 200, 630, 824})) << "on the left";
  EXPECT_EQ(scout({700, 200, 300, 0}), (std::array<int, 4>{700, 200, 300, 250})) << "neither beside: below";
  EXPECT_EQ(scout({700, 600, 300, 0}), (std::array<int, 4>{700, 600, 580, 0})) << "nor below";
  EXPECT_EQ(scout({512, 512, 32300, -5000}), (std::array<int, 4>{512, 512, 768, 0})) << "far off the screen";
  EXPECT_EQ(scout({2000, 2000, 0, 0}), (std::array<int, 4>{2000, 2000, 0, 0})) << "larger than the screen";
}

// --keys takes the next argument whatever it is ("-h" is two keys, not a request for help), once; a value
// missing is a usage error, not freeglut's own message.
TEST(OwnOptions, KeysTakeTheNextArgumentOnceAndAMissingValueIsAUsageError) {
  const auto take = [](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "solar_demo");
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = int(arguments.size());
    const own_options options = take_own_options(argc, argv.data());
    // What is left in argv, and the -geometry value, which points into it.
    std::string left = options.geometry != nullptr ? options.geometry : "(none)";
    for (int i = 1; i < argc; ++i) left += std::string(" ") + argv[size_t(i)];
    return std::pair{options, left};
  };
  auto [keys, left] = take({"-display", ":1", "--keys", "-h", "-geometry", "--help"});
  EXPECT_FALSE(keys.help);
  EXPECT_EQ(keys.keys, "-h");
  EXPECT_EQ(left, "--help -display :1 -geometry --help")
      << "--keys and its value are taken out, the rest left";
  EXPECT_TRUE(keys.usage_error.empty());
  EXPECT_NE(take({"--keys", "g", "--keys", "n"}).first.usage_error.find("twice"), std::string::npos);
  EXPECT_NE(take({"-geometry"}).first.usage_error.find("-geometry needs a value"), std::string::npos);
  EXPECT_NE(take({"--keys"}).first.usage_error.find("--keys needs"), std::string::npos);
  EXPECT_TRUE(take({"-h"}).first.help);
  EXPECT_EQ(take({"-geometry", "a.lesson", "b.lesson"}).second, "a.lesson -geometry a.lesson")
      << "a lesson file alone is --lesson, but not a GLUT option's value";
  EXPECT_EQ(take({"--lesson", "x"}).first.lesson, "x");
  EXPECT_EQ(take({"Class.LESSON"}).first.lesson, "Class.LESSON") << "as the desktop types the file, any case";
  EXPECT_EQ(take({"x.lessons"}).first.lesson, "");
  EXPECT_NE(take({"a.lesson", "--lesson", "b"}).first.usage_error.find("twice"), std::string::npos);
  // --board's place is optional: taken when the next argument starts as a place does, and read as one.
  const auto [board, after_board] = take({"--board", "-display", ":1"});
  EXPECT_TRUE(board.board);
  EXPECT_EQ(board.board_geometry, "");
  EXPECT_EQ(after_board, "(none) -display :1");
  const auto [placed, after_placed] = take({"--board", "1920x540+0+660", "x.lesson"});
  EXPECT_EQ(placed.board_geometry, "1920x540+0+660");
  EXPECT_EQ(after_placed, "(none)") << "the place and the lesson are taken out";
  for (const char* bad : {"19x", "garbage", "-5x5", "1920x540+0"})
    EXPECT_NE(take({"--board", bad}).first.usage_error.find("--board takes WIDTHxHEIGHT+X+Y"),
              std::string::npos)
        << bad;
  EXPECT_EQ(take({"--board", "-0-0"}).first.board_geometry, "-0-0") << "a place from the far edges";
  EXPECT_NE(take({"--board", "--board"}).first.usage_error.find("twice"), std::string::npos);
}

// The board in the largest part of the screen the windows leave free; where none is, the windows shrink and
// move up and the board takes the rest. Nothing covers anything, and everything stands on the screen.
TEST(Geometry, TheBoardTakesTheRoomTheWindowsLeaveOrTheyMakeIt) {
  using rect = std::array<int, 4>;  // width, height, x, y
  const auto as_rect = [](const window_placement& p) { return rect{p.width, p.height, p.x, p.y}; };
  const auto overlap = [](const rect& a, const rect& b) {
    return a[2] < b[2] + b[0] && b[2] < a[2] + a[0] && a[3] < b[3] + b[1] && b[3] < a[3] + a[1];
  };
  struct placement_case {
    rect mother, screen, scout, board, mother_after;
    int board_needs = 0;  // the height below which the board's text would be cut
  };
  const placement_case cases[] = {
      // Two 512-pixel windows on 1280x1024: the whole width below them.
      {{512, 512, 0, 100}, {1280, 1024}, {512, 512, 562, 100}, {1280, 362, 0, 662}, {512, 512, 0, 100}},
      // -geometry 1900x300 on 2560x1600: the scout below the mother, not over it, the board below both.
      {{1900, 300, 0, 100}, {2560, 1600}, {1900, 300, 0, 450}, {2560, 800, 0, 800}, {1900, 300, 0, 100}},
      // 950x1000 windows on 1920x1080 leave no room: they shrink to 0.67 and the board takes the lower third.
      {{950, 1000, 0, 0}, {1920, 1080}, {950, 1000, 970, 0}, {1920, 360, 0, 720}, {636, 670, 0, 0}},
      // A board that needs 400 rows: the 362 below the windows will not do, and moving them up makes room.
      {{512, 512, 0, 100}, {1280, 1024}, {512, 512, 562, 100}, {1280, 462, 0, 562}, {512, 512, 0, 0}, 400},
      // On 1024x768 (the scout pressed against the mother) the windows shrink to 768 - 416 - 50 = 302
      // pixels for a board 416 rows high: a third, 256, and five steps of 32.
      {{512, 512, 0, 100}, {1024, 768}, {512, 512, 512, 100}, {1024, 416, 0, 352}, {302, 302, 0, 0}, 400},
  };
  for (const placement_case& c : cases) {
    const window_placement mother = {c.mother[0], c.mother[1], c.mother[2], c.mother[3]};
    const window_placement scout = compute_scout_placement(mother, 50, c.screen[0], c.screen[1]);
    EXPECT_EQ(as_rect(scout), c.scout);
    const auto holds = [&](int, int height) { return height >= c.board_needs; };
    const board_arrangement arranged =
        compute_board_arrangement(mother, scout, 50, c.screen[0], c.screen[1], holds);
    EXPECT_EQ(as_rect(arranged.board), c.board);
    EXPECT_EQ(as_rect(arranged.mother), c.mother_after);
    EXPECT_EQ(arranged.windows_move, c.mother_after != c.mother);
    const rect all[] = {as_rect(arranged.mother), as_rect(arranged.scout), as_rect(arranged.board)};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_TRUE(all[i][2] >= 0 && all[i][3] >= 0 && all[i][2] + all[i][0] <= c.screen[0] &&
                  all[i][3] + all[i][1] <= c.screen[1])
          << "on the screen: " << i;
      for (size_t k = i + 1; k < 3; ++k) EXPECT_FALSE(overlap(all[i], all[k])) << i << " and " << k;
    }
  }
  // A lesson made for 950x1000 on a 1280x720 screen: side by side within it, the aspect kept.
  const fitted_size fitted = compute_fitted_size(950, 1000, 50, 1280, 720);
  EXPECT_EQ(std::tie(fitted.width, fitted.height), std::make_tuple(615, 647));  // (1280 - 50) / 1900 = 0.6474
  EXPECT_EQ(compute_fitted_size(1900, 300, 50, 2560, 1600).scale, 1.0) << "one below the other fits";
}

}  // namespace

// --pick and --inspect take exactly two whole numbers that a window can hold, "X,Y", after "scout:" for the
// scout window, and are taken out of argv.
TEST(PickOption, TakesTwoWholeNumbersAndNothingElse) {
  EXPECT_EQ(compute_pick_position("256,10"), (std::array<int, 2>{256, 10}));
  EXPECT_EQ(compute_pick_position("0,65535"), (std::array<int, 2>{0, 65535}));
  for (const char* wrong : {"65536,1", "1,2,3", "1,", ",1", "-1,2", "1,+2", " 1,2", "1;2", ""})
    EXPECT_FALSE(compute_pick_position(wrong)) << wrong;
  const auto scout = compute_start_pick("scout:7,8", true);
  ASSERT_TRUE(scout);
  EXPECT_TRUE(scout->in_scout && scout->holds_still && scout->at == (std::array<int, 2>{7, 8}));
  EXPECT_FALSE(compute_start_pick("mother:1,2", false)->in_scout);
  for (const char* wrong : {"scout:", "Scout:1,2", "scout 1,2", "mother:scout:1,2", "Satrun", "Star-field",
                            "100.5%,1%", "50%,40", "50,40%", "1e1%,2%", "0x1%,2%", "-1%,2%", "50%;40%"})
    EXPECT_FALSE(compute_start_pick(wrong, false)) << wrong;
  // A pick by body or by fractions fits any window: the body by its name in any case, 100% its last pixel.
  const auto moon = compute_start_pick("scout:mOON", false);
  ASSERT_TRUE(moon);
  EXPECT_TRUE(moon->in_scout && moon->aim == pick_aim::body && moon->body == "Moon");
  const auto fraction = compute_start_pick("12.5%,100%", false);
  ASSERT_TRUE(fraction);
  EXPECT_EQ(fraction->aim, pick_aim::fraction);
  EXPECT_EQ(compute_fraction_pixel(fraction->fraction, 950, 1000), (std::array<int, 2>{118, 999}));
  EXPECT_EQ(compute_fraction_pixel({0.5, 0}, 512, 512), (std::array<int, 2>{256, 0}));
  // A body shown at the window's edge: the nearest pixel, from the top left, is in the window or not at all.
  using shown_at = std::pair<std::array<double, 3>, std::optional<std::array<int, 2>>>;
  for (const auto& [shown, pixel] : {shown_at{{511.4, 511.6, 0}, std::array{511, 0}},
                                     {{511.5, 100, 0}, std::nullopt},
                                     {{-0.4, 0.6, 0}, std::array{0, 511}},
                                     {{-0.6, 100, 0}, std::nullopt},
                                     {{100, 0.4, 0}, std::nullopt},
                                     {{100, 512.4, 0}, std::array{100, 0}},
                                     {{100, 512.6, 0}, std::nullopt}})
    EXPECT_EQ(compute_shown_pixel(shown, 512, 512), pixel) << shown[0] << "," << shown[1];
  std::string words[] = {"solar_demo", "-display", ":1", "--pick", "3,4"};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(),
                  words[3].data(), words[4].data(), nullptr};
  int argc = 5;
  const own_options options = take_own_options(argc, argv);
  EXPECT_EQ(options.pick->at, (std::array<int, 2>{3, 4}));
  EXPECT_FALSE(options.pick->in_scout || options.pick->holds_still);
  EXPECT_EQ(argc, 3);
  EXPECT_EQ(argv[3], nullptr);
}

// The text scale: --text-scale over GDK_SCALE over the desktop's dots per inch, always a whole 1 to 4.
TEST(TextScale, TheOptionOverGdkScaleOverTheDesktopsDotsPerInch) {
  const std::optional<int> none;
  EXPECT_EQ(compute_text_scale(none, nullptr, 96), 1);
  EXPECT_EQ(compute_text_scale(none, nullptr, 143), 1) << "1.49 rounds down";
  EXPECT_EQ(compute_text_scale(none, nullptr, 144), 2) << "1.5 rounds up";
  for (const double past_every_scale : {1000.0, 9e20, 1e30, 1e300})
    EXPECT_EQ(compute_text_scale(none, nullptr, past_every_scale), 4) << past_every_scale << " dpi";
  EXPECT_EQ(compute_text_scale(none, nullptr, 40), 1);
  EXPECT_EQ(compute_text_scale(none, "1", 288), 1);
  EXPECT_EQ(compute_text_scale(none, "99999999999999999999999", 96), 4);
  for (const char* not_whole : {"", "0", "2.5", "-2", " 2", "2x"})
    EXPECT_EQ(compute_text_scale(none, not_whole, 288), 3) << '"' << not_whole << "\" is not a scale";
  EXPECT_EQ(compute_text_scale(2, "3", 384), 2);
  EXPECT_EQ(compute_resource_dpi("192"), 192);
  EXPECT_EQ(compute_resource_dpi("144.5"), 144.5);
  EXPECT_EQ(compute_resource_dpi("192 "), 192);
  for (const char* not_dpi : {"", "abc", "192dpi", "-96", "0", "nan", "inf"})
    EXPECT_EQ(compute_resource_dpi(not_dpi), unscaled_dpi) << '"' << not_dpi << '"';
  for (const char* value : {"1", "4"}) EXPECT_TRUE(compute_text_scale_option(value)) << value;
  for (const char* value : {"0", "5", "", "2.0", "+2", "-1", "44"})
    EXPECT_FALSE(compute_text_scale_option(value)) << '"' << value << '"';
}

// A lesson keeps every state's title, keys and pick; a fault is told by file and line, the first one alone,
// and nothing of that file is kept. Every shipped lesson reads.
TEST(Lesson, ReadsEachStateAndNamesTheFileAndLineOfTheFirstFault) {
  const lesson_reading good = compute_lesson(
      "# a comment\ntitle = Guide\nsize = 950x1000\ntext scale = 3\n\n[F3]\r\n title = Saturn = far \nkeys = "
      "g6s "
      "\ninspect = scout:1,2\n[F12]\ntitle=x\nnote = a\nnote = b c\nscout lens = 50, 1, 100\nmother lens "
      "=5,0.0001,2048000\nkeys=\n",
      "a.lesson", demo_refuse_typed_key);
  ASSERT_EQ(good.error, "");
  EXPECT_EQ(good.read.title, "Guide");
  EXPECT_EQ(good.read.size, (std::array<int, 2>{950, 1000}));
  EXPECT_EQ(good.read.text_scale, 3);
  EXPECT_FALSE(good.read.board);
  EXPECT_EQ(
      compute_lesson("board = on\n[F1]\ntitle = x\nkeys =\n", "a.lesson", demo_refuse_typed_key).read.board,
      "");
  EXPECT_EQ(
      compute_lesson("board = 900x300-0-0\n[F1]\ntitle = x\nkeys =\n", "a.lesson", demo_refuse_typed_key)
          .read.board,
      "900x300-0-0");
  const lesson off =
      compute_lesson("board = off\n[F1]\ntitle = x\nkeys =\n", "a.lesson", demo_refuse_typed_key).read;
  EXPECT_TRUE(off.board_off && !off.board && !good.read.board_off);
  const lesson_state& last = *good.read.states[11];
  EXPECT_EQ(last.notes, (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(last.step, "F12: x");
  EXPECT_EQ(
      compute_lesson(
          "[F1]\ntitle = 20\xc2\xb0 \xe2\x86\x92 caf\xc3\xa9 \xc3\x97\xf0\x9f\x98\x80\xc3\xbf\nkeys =\n",
          "u.lesson", demo_refuse_typed_key)
          .read.states[0]
          .value()  // a refusal throws, failing this test alone
          .title,
      "20\xb0 ? caf\xe9 \xd7?\xff")
      << "Latin-1's characters a byte each, as the font draws them; any other \"?\"";
  // Pasted typography as its look-alike: a no-break space, an en and an em dash, curly quotes, an ellipsis.
  EXPECT_EQ(compute_lesson("[F1]\ntitle = a\xc2\xa0"
                           "b \xe2\x80\x93 c\xe2\x80\x94\xe2\x80\x98"
                           "d\xe2\x80\x99 "
                           "\xe2\x80\x9c"
                           "e\xe2\x80\x9d\xe2\x80\xa6\nkeys =\n",
                           "q.lesson", demo_refuse_typed_key)
                .read.states[0]
                .value()
                .title,
            "a b - c-'d' \"e\"...");
  ASSERT_TRUE(last.lenses[1] && last.lenses[0]);
  EXPECT_EQ(std::vector<double>(
                {last.lenses[1]->field_of_view, last.lenses[1]->near_distance, last.lenses[1]->far_distance}),
            (std::vector<double>{50, 1, 100}))
      << "the scout's, exactly";
  EXPECT_EQ(last.lenses[0]->far_distance, 2048000) << "the far plane at the keys' own limit";
  EXPECT_FALSE(good.read.states[0]);
  const lesson_state& saturn = *good.read.states[2];
  EXPECT_EQ(saturn.title + "|" + saturn.keys, "Saturn = far|g6s");
  EXPECT_TRUE(saturn.pick->in_scout && saturn.pick->holds_still &&
              saturn.pick->at == (std::array<int, 2>{1, 2}));
  EXPECT_EQ(saturn.pick_line, 9);
  EXPECT_EQ(good.read.states[11]->keys, "") << "no keys: the start-up scene";
  EXPECT_EQ(
      compute_lesson("\xEF\xBB\xBF[F1]\ntitle = t\nkeys = g\n", "c.lesson", demo_refuse_typed_key).error, "")
      << "a byte order mark before the first header";
  EXPECT_EQ(
      compute_lesson_file("[F1]\ntitle = t\nkeys =\n#" + std::string(largest_lesson_bytes - 24, '#') + "\n",
                          "c.lesson", demo_refuse_typed_key)
          .error,
      "")
      << "a lesson of exactly the largest size";
  const std::string most_keys(most_typed_keys, 'w');
  EXPECT_EQ(
      compute_lesson("[F1]\ntitle = t\nkeys = " + most_keys + "\n", "c.lesson", demo_refuse_typed_key).error,
      "")
      << "as many keys as can be typed within a second";
  const std::string long_line = "\x1b]0;PWNED\x07\x1b[2J\r" + std::string(500000, 'x');
  const std::pair<std::string, std::string> faults[] = {
      {"[F1]\ntitle = x\nkeys = w" + most_keys + "\n", "b.lesson:3: a state types at most 1000 keys"},
      {long_line + "\n", "b.lesson:1: \"\x1b]0;PWNED\x07\x1b[2J\r" + std::string(25, 'x') + "...\" is not"},
      {"[F1]\ntitle = x\nkeys = g\n" + long_line + " = 1\n", "b.lesson:4: \"\x1b]0;PWNED\x07\x1b[2J\rxxxx"},
      {"keys = g\n", "b.lesson:1: \"keys\" comes before the first [F1] to [F12] header, and a lesson's own"},
      {"size = 950x1000+0+0\n", "b.lesson:1: size takes the windows' WIDTHxHEIGHT, each from 1 to 8192"},
      {"size = 8193x10\n", "b.lesson:1: size takes the windows' WIDTHxHEIGHT"},
      {"size = 10x8193\n", "b.lesson:1: size takes the windows' WIDTHxHEIGHT"},
      {"[F1]\ntitle = a\xc3\x28\nkeys = g\n", "b.lesson:2: the title is not UTF-8"},
      {"[F1]\ntitle = \xe0\x83\xa9\nkeys = g\n", "b.lesson:2: the title is not UTF-8"},
      {"[F1]\ntitle = a\x7f\nkeys = g\n", "b.lesson:2: the title is not UTF-8 text, or holds a control"},
      {compute_state_block(0, "x", {},
                           [] {
                             state_numbers following_nothing;
                             following_nothing.ships[MOTHER_SHIP].mode = GEOSYNCH;
                             return following_nothing;
                           }()),
       "b.lesson:1: mother follows nothing, and GEOSYNCH follows a body"},
      {"[F1]\ntitle = t\nkeys =\n#" + std::string(largest_lesson_bytes - 23, '#') + "\n",
       "b.lesson: is larger"},
      {"text scale = 5\n", "b.lesson:1: text scale takes a whole number from 1 to 4"},
      {"board = yes\n", "b.lesson:1: board takes on, off, or its WIDTHxHEIGHT+X+Y with sizes from 1 to 8192"},
      {"board = 8193x10+0+0\n", "b.lesson:1: board takes on"},
      {"board = on\nboard = on\n", "b.lesson:2: board is given twice"},
      {"title = a\ntitle = b\n", "b.lesson:2: the lesson's title is given twice"},
      {"[F1]\ntitle = x\nnote = a\nnote = b\nnote = c\n", "b.lesson:5: a state has at most 2 notes"},
      {"[F1]\ntitle = x\nnote =\n", "b.lesson:3: the note is empty"},
      {"[F1]\ntitle = x\nscout lens = 171, 1, 100\n",
       "b.lesson:3: scout lens's field of view runs from 5 to 170 degrees"},
      {"[F1]\ntitle = x\nmother lens = 50, 0.00009, 100\n",
       "b.lesson:3: mother lens's planes lie from 0.00009766 to 2048000, as the keys keep them"},
      {"[F1]\ntitle = x\nmother lens = 50, 100, 100\n",
       "b.lesson:3: mother lens's near plane must lie nearer than its far plane"},
      {"[F1]\ntitle = x\nmother lens = 50, 1\n", "b.lesson:3: mother lens takes FIELD OF VIEW, NEAR, FAR"},
      {"[F1]\ntitle = x\nmother lens = 50, 0x10, 100\n", "b.lesson:3: mother lens takes FIELD OF VIEW"},
      {"[F1]\ntitle = x\nmother lens = 50, 1, 100,\n", "b.lesson:3: mother lens takes FIELD OF VIEW"},
      {"[F1]\ntitle = x\nscout lens = 50,1,100\nscout lens = 50,1,100\n",
       "b.lesson:4: scout lens is given twice in this state"},
      {"[F1]\ntitle = x\n\n", "b.lesson:1: [F1] has no keys = ..."},
      {"[F1]\nkeys = g\n[F2]\ntitle = y\nkeys =\n", "b.lesson:1: [F1] has no title = ..."},
      {"[F13]\n", "b.lesson:1: \"[F13]\" is not a header: a state is one of [F1] to [F12]"},
      {"[F01]\n", "b.lesson:1: \"[F01]\" is not a header"},
      {"[f1]\n", "b.lesson:1: \"[f1]\" is not a header"},
      {"[F1]\ntitle = x\nkeys = gQ\n", "b.lesson:3: keys cannot type 'Q'"},
      {"[F1]\ntitle = x\nkeys = g\x81\n", "b.lesson:3: keys cannot type the byte \\x81: no key types it"},
      {"[F1]\ntitle = x\nkeys = \x1b\n", "b.lesson:3: keys cannot type the byte \\x1b: Escape would"},
      {"[F1]\ntitle = x\nkeys = g\tn\n", "b.lesson:3: keys cannot type the byte \\x09: Tab opens a window"},
      {"[F1]\ntitle = x\nmother mode = FLYING\n",
       "b.lesson:3: mother mode takes LOOKAT, RELATIVE or GEOSYNCH"},
      {"[F1]\ntitle = x\nscout eye = 1, 2\n", "b.lesson:3: scout eye takes 3 finite numbers"},
      {"[F1]\ntitle = x\nscout up = 1, nan, 2\n", "b.lesson:3: scout up takes 3 finite numbers"},
      {"[F1]\ntitle = x\nmother target = 1e39, 0, 0\n", "b.lesson:3: mother target takes 3 finite"},
      {"[F1]\ntitle = x\nrate = 9\n", "b.lesson:3: rate takes a number from 1/16 to 8"},
      {"[F1]\ntitle = x\nviews = hih\n", "b.lesson:3: views takes none, or some of the letters hnivoktu"},
      {"[F1]\ntitle = x\nkept pick = mother, 1, 2, 3, 0, 0, 4, 4, 1, 2, 5\n", "b.lesson:3: kept pick takes"},
      {"[F1]\ntitle = x\nkept pick = scout, 1, 2, 3, 0, 0, 4, 4, 1, 1, -5\n", "b.lesson:3: kept pick takes"},
      {"[F1]\ntitle = x\nrate = 1\nrate = 1\n", "b.lesson:4: rate is given twice"},
      {"[F1]\ntitle = x\nrate = 1\nkeys = g\n", "b.lesson:1: [F1] is given by numbers, which take no keys"},
      {"[F1]\ntitle = x\nrate = 1\n", "b.lesson:1: a state given by numbers gives mother mode too"},
      {"[F1]\ntitle = x\nkeys = \xa0\n", "b.lesson:3: keys cannot type the byte \\xa0: no key types it"},
      {"[F1]\ntitle = x\nkeys = g\npick = 1,2\ninspect = 3,4\n",
       "b.lesson:5: a state has one pick, and this one has two"},
      {"[F1]\ntitle = x\nkeys = g\npick = 1;2\n", "b.lesson:4: pick takes X,Y, X%,Y% or a body's name"},
      {"[F1]\ntitle = x\nkeys = g\ninspect = scout:Vulcan\n", "b.lesson:4: inspect takes X,Y, X%,Y% or a"},
      {"[F1]\ntitle = x\ntitle = y\nkeys = g\n", "b.lesson:3: title is given twice in this state"},
      {"[F1]\ntitle = x\nkeys = g\n[F1]\n", "b.lesson:4: \"[F1]\" is given twice"},
      {"[F1]\ntitle = x\nkeys = g\ncolour = red\n",
       "b.lesson:4: \"colour\" is no setting of a state: a state has title, note"},
      {"[F1]\ntitle = x\nkeys = g\njust words\n", "b.lesson:4: \"just words\" is not a [F1] to [F12] header"},
      {"[F1]\ntitle = caf\xe9\nkeys = g\n", "b.lesson:2: the title is not UTF-8 text, or holds a control"},
      {"[F1]\ntitle = a\xc2\x85"
       "b\nkeys = g\n",
       "b.lesson:2: the title is not UTF-8 text"},
      {"[F1]\ntitle = x\nnote = \xc0\xae\nkeys = g\n", "b.lesson:3: the note is not UTF-8 text"},
      {"[F1]\ntitle = x\nnote = \xed\xa0\x80\nkeys = g\n", "b.lesson:3: the note is not UTF-8 text"},
      {"[F1]\ntitle = \xe2\x86\nkeys = g\n", "b.lesson:2: the title is not UTF-8 text"},
      {"[F1]\ntitle =\nkeys = g\n", "b.lesson:2: the title is empty"},
      {"# nothing\n", "b.lesson: holds no state"},
  };
  for (const auto& [text, told] : faults) {
    const lesson_reading bad = compute_lesson_file(text, "b.lesson", demo_refuse_typed_key);
    EXPECT_EQ(bad.error.rfind(told, 0), 0u) << text.substr(0, 80) << " -> " << bad.error;
    EXPECT_LT(bad.error.size(), 200u) << "a quoted line is cut";
    for (const auto& state : bad.read.states) EXPECT_FALSE(state) << text.substr(0, 80);
  }
  // What the terminal is shown of a message: printable, one line, and unchanged when it is so already.
  EXPECT_EQ(compute_printable("a\x1b]0;P\x07\r\n\xc3\xa9\x7f~ \\x1b"),
            "a\\x1b]0;P\\x07\\x0d\\x0a\\xc3\\xa9\\x7f~ \\x1b");
  EXPECT_EQ(read_lesson_file("/nonexistent.lesson", demo_refuse_typed_key)
                .error.rfind("/nonexistent.lesson: cannot be read", 0),
            0u);
  for (const auto& shipped : std::filesystem::directory_iterator(SOLAR_SOURCE_DIR "/docs/lessons"))
    EXPECT_EQ(read_lesson_file(shipped.path().string(), demo_refuse_typed_key).error, "");
}

// Every number of a state comes back from its lines exactly: floats that nine digits only just hold, a
// double's seventeen (0.0100000035 is a float that eight digits miss), a buffer's largest depths, and the
// limits the keys keep to, some written with an exponent; the title and notes as the font writes them.
TEST(Lesson, AStateGivenByNumbersReadsBackEveryNumberExactly) {
  state_numbers state;
  state.ships[SCOUT_SHIP] = {
      GEOSYNCH,   {0.1f, 1.0f / 3, 0.0100000035f}, {16777217.0f, 0, 2}, {0, 1, 1e-30f}, {}, SATURN,
      15.000001f, {1.5f, 0.666f, 2, 3.375f}};
  for (int i = 0; i < 16; ++i) state.ships[MOTHER_SHIP].pose[size_t(i)] = float(i) / 7 - 1;
  for (size_t b = 0; b < state.angles.size(); ++b) state.angles[b] = {float(b) * 1.1f, 359.99997f};
  state.lenses = {projection_lens{5, double(0.1f), 1.0 / 3}, {170, double(0.1f) / 1024, 2000.0 * 1024}};
  state.ships[MOTHER_SHIP].eye = {1e30f, -1e30f, 0};
  state.views = "hikt";
  state.rate = 0.0625f;
  state.paused = true;
  state.keys_to = SCOUT_SHIP;
  pick_numbers pick;
  pick.window = SCOUT_SHIP;
  pick.report = {256,        17, 512, {0, 0, 512, 400}, 2, {1, 4294428416u, 4294967295u, 0, 1, 0, 7, 1},
                 "Sun: kept"};
  pick.view[15] = 0.923076928f;
  pick.projection[10] = -1.0001000050017403;
  pick.lens = {70, 0.1, 2000};
  state.pick = pick;
  const auto read_back = [](const state_numbers& written) {
    return compute_lesson(compute_state_block(1, "20\xb0 caf\xe9", {"\xd7 2"}, written), "n.lesson",
                          demo_refuse_typed_key);
  };
  const lesson_reading read = read_back(state);
  ASSERT_EQ(read.error, "");
  const lesson_state& got = *read.read.states[1];
  EXPECT_EQ(got.title + "|" + got.notes.at(0), "20\xb0 caf\xe9|\xd7 2");
  ASSERT_TRUE(got.numbers);
  const state_numbers& back = *got.numbers;
  for (size_t s = 0; s < 2; ++s) {
    const ship_numbers &a = state.ships[s], &b = back.ships[s];
    EXPECT_EQ(std::tie(a.mode, a.eye, a.target, a.up, a.pose, a.follows, a.distance, a.steps),
              std::tie(b.mode, b.eye, b.target, b.up, b.pose, b.follows, b.distance, b.steps))
        << s;
    ASSERT_TRUE(got.lenses[s]);
    EXPECT_EQ(
        std::tie(got.lenses[s]->field_of_view, got.lenses[s]->near_distance, got.lenses[s]->far_distance),
        std::tie(state.lenses[s].field_of_view, state.lenses[s].near_distance, state.lenses[s].far_distance));
  }
  EXPECT_EQ(back.angles, state.angles);
  EXPECT_EQ(std::tie(back.views, back.rate, back.paused, back.keys_to),
            std::tie(state.views, state.rate, state.paused, state.keys_to));
  ASSERT_TRUE(back.pick);
  const pick_report &r = back.pick->report, &w = pick.report;
  EXPECT_EQ(std::tie(back.pick->window, r.x, r.y, r.window_height, r.viewport, r.hits, r.buffer, r.outcome),
            std::tie(pick.window, w.x, w.y, w.window_height, w.viewport, w.hits, w.buffer, w.outcome));
  EXPECT_EQ(std::tie(back.pick->view, back.pick->projection, back.pick->lens.near_distance),
            std::tie(pick.view, pick.projection, pick.lens.near_distance));
  // The fastest rate, the third mode, and a pick that hit nothing.
  state.rate = 8;
  state.ships[MOTHER_SHIP].mode = RELATIVE;
  state.pick->report = {5, 6, 512, {0, 0, 512, 512}, 0, {}, "nothing under the pointer"};
  const lesson_reading second = read_back(state);
  ASSERT_EQ(second.error, "");
  const state_numbers& again = *second.read.states[1]->numbers;
  EXPECT_EQ(
      std::tie(again.rate, again.ships[MOTHER_SHIP].mode, again.pick->report.hits, again.pick->report.buffer),
      std::tie(state.rate, state.ships[MOTHER_SHIP].mode, state.pick->report.hits,
               state.pick->report.buffer));
}

std::string whole_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// What comes of the call when the disk fills after a few bytes: a file size limit makes each longer write
// fail, as a full disk does.
template <typename call>
auto on_a_full_disk(call what) {
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit limit = old_limit;
  limit.rlim_cur = 200;
  const auto old_signal = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  const auto outcome = what();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_signal);
  return outcome;
}

// A scene of zeros saved under the title, with the keys a lesson may type as the program refuses them.
save_outcome save(const std::string& file, const std::string& title = "t") {
  state_to_save state;
  state.title = title;
  state.refuse_key = demo_refuse_typed_key;
  return append_state(file, state);
}

// Two programs saving into one file at once: each state under an F key of its own, the user's lines first and
// untouched, the file a lesson, and the save after its last key into the file beside it; one into a folder
// that cannot be made, and one that would leave a file the reader refuses, change nothing.
TEST(SavedStates, TakeTurnsUnderFreeKeysAndNeverTouchWhatTheFileHeld) {
  EXPECT_EQ(compute_default_save_file("rel/dir", "/home/u", nullptr),
            "/home/u/.local/share/solar-demo/saved.lesson")
      << "a relative XDG_DATA_HOME is ignored";
  const state_to_save made =
      compute_state_to_save({}, "F3: Saturn: far", {"n"}, {9000, 512}, 2, {9, 5}, nullptr);
  EXPECT_EQ(made.title + "|" + made.notes.at(0) + "|" + made.new_lesson_settings,
            "Saturn: far, 09:05|n|text scale = 2\n")
      << "a lesson state's title and notes kept; a width no lesson holds left out";
  const std::filesystem::path folder = testing::TempDir() + "saves_" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "class.lesson").string();
  const std::string mine = "# mine\n[F2]\ntitle = kept\nkeys = g";  // no newline at its end
  std::ofstream(file, std::ios::binary) << mine;
  std::vector<std::pair<std::string, int>> got[2];
  const auto take_turns = [&](int side) {  // pressing S again while the other program saves
    for (int i = 0; i < 6; ++i) {
      save_outcome saved;
      do saved = save(file, side == 0 ? "this" : "other");
      while (saved.busy);
      got[side].emplace_back(saved.file, saved.index);
    }
  };
  std::thread other(take_turns, 1);
  take_turns(0);
  other.join();
  std::vector<std::pair<std::string, int>> all = got[0];
  all.insert(all.end(), got[1].begin(), got[1].end());
  std::sort(all.begin(), all.end());
  const std::string next = (folder / "class-2.lesson").string();
  std::vector<std::pair<std::string, int>> expected = {{next, 0}, {file, 0}};
  for (int key = 2; key < lesson_key_count; ++key) expected.emplace_back(file, key);
  EXPECT_EQ(all, expected) << "F2 was the user's";
  const std::string after = whole_file(file);
  EXPECT_EQ(after.rfind(mine + "\n\n[F", 0), 0u);
  const lesson_reading read = read_lesson_file(file, demo_refuse_typed_key);
  ASSERT_EQ(read.error, "");
  EXPECT_EQ(read.read.states[1]->keys, "g");
  EXPECT_EQ(read_lesson_file(next, demo_refuse_typed_key).error, "");
  EXPECT_EQ(compute_save_message(file, {0, next, "", false})
                .rfind(file + " has a state on every F key, so saved as F1 in " + next, 0),
            0u);
  const save_outcome blocked = save(file + "/inside.lesson");
  EXPECT_EQ(blocked.index, -1);
  EXPECT_NE(blocked.why.find("cannot make the folder"), std::string::npos) << blocked.why;
  EXPECT_EQ(whole_file(file), after);
  // Files the reader refuses, or would once the state is appended, are left byte for byte; one that begins
  // with a byte order mark has its F1 used.
  const std::string comment_to_limit = std::string(largest_lesson_bytes - 40, '#');
  for (const auto& [text, told] : std::initializer_list<std::pair<std::string, std::string>>{
           {"[F1]\ntitle = t\nkeys =\n" + comment_to_limit + "\n", "would grow past the largest"},
           {"\x7f"
            "ELF\x02\x01\x01\x00\x00\x00\x00\n",
            "would not load"},
           {"[F1]\ntitle = t\nkeys = g\nnot a setting\n", "would not load"},
           {"[F1]\ntitle = t\nkeys = g\n" + std::string(1, '\0') + "\n", "is not text"},
           {"\xEF\xBB\xBF[F1]\ntitle = t\nkeys = g\n", ""}}) {
    const std::string user = (folder / "user.lesson").string();
    std::ofstream(user, std::ios::binary) << text;
    const save_outcome saved = save(user);
    if (told.empty()) {
      EXPECT_EQ(saved.index, 1) << saved.why;
      EXPECT_EQ(read_lesson_file(user, demo_refuse_typed_key).error, "");
    } else {
      EXPECT_EQ(saved.index, -1) << text.substr(0, 20);
      EXPECT_NE(saved.why.find(told), std::string::npos) << saved.why;
      EXPECT_NE(saved.why.find(user), std::string::npos) << "the band names the file: " << saved.why;
      EXPECT_EQ(whole_file(user), text) << text.substr(0, 20);
    }
  }
  // A lock: another program's, live, or one with no owner yet is waited for by the next S; one whose process
  // is gone is taken over at once; a file of the user's in its place is no lock. None is waited on.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  char host[256] = "";
  gethostname(host, sizeof host - 1);
  for (const auto& [owner, taken] : {std::pair{host + (" " + std::to_string(getpid())), false},
                                     {std::string(), false},
                                     {host + (" " + std::to_string(gone)), true}}) {
    std::filesystem::create_directory(file + ".lock");
    if (!owner.empty()) std::ofstream(file + ".lock/owner") << owner << "\n";
    const save_outcome saved = save(file);
    EXPECT_EQ(saved.index >= 0, taken) << owner << ": " << saved.why;
    EXPECT_EQ(saved.busy, !taken) << owner;
    EXPECT_EQ(std::filesystem::exists(file + ".lock"), !taken) << owner;
    EXPECT_EQ(saved.why.find("delete the folder " + file + ".lock") != std::string::npos, !taken)
        << saved.why;
    std::filesystem::remove_all(file + ".lock");
  }
  // A disk that fills during the save (a file size limit makes it so here): a link stays a link, to the file
  // as it was, and a file made for the save is removed.
  const std::string target = (folder / "target.lesson").string(), link = (folder / "link.lesson").string();
  std::filesystem::create_symlink("target.lesson", link);
  const auto save_on_a_full_disk = [&] { return on_a_full_disk([&] { return save(link); }); };
  EXPECT_NE(save_on_a_full_disk().why.find("cannot write " + link), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_FALSE(std::filesystem::exists(target)) << "the file made for the save is left";
  std::ofstream(target, std::ios::binary) << "[F1]\ntitle = t\nkeys = g\n";
  EXPECT_EQ(save_on_a_full_disk().index, -1);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(whole_file(target), "[F1]\ntitle = t\nkeys = g\n");
  std::ofstream(file + ".lock") << "mine";
  const std::string before_lock = whole_file(file);
  const save_outcome in_the_way = save(file);
  EXPECT_NE(in_the_way.why.find(file + ".lock is in the way"), std::string::npos) << in_the_way.why;
  EXPECT_FALSE(in_the_way.busy);
  EXPECT_EQ(whole_file(file + ".lock"), "mine");
  EXPECT_EQ(whole_file(file), before_lock);
  std::filesystem::remove(file + ".lock");
  // A picture never goes over another: the second of one name takes the next free one.
  const std::string stem = (folder / "shot").string();
  const std::vector<unsigned char> red = {255, 0, 0}, blue = {0, 0, 255};
  std::vector<unsigned char> noise(3 * 64 * 64);  // more than the full disk holds, however compressed
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
  // Given bottom row first, as glReadPixels gives it, written top row first: neither square nor symmetric.
  const std::vector<unsigned char> bottom_first = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                   10, 11, 12, 13, 14, 15, 16, 17, 18};
  ASSERT_EQ(write_new_png(stem + "-rows", 3, 2, bottom_first).why, "");
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, (stem + "-rows.png").c_str()));
  png.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> top_first(PNG_IMAGE_SIZE(png));
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, top_first.data(), 0, nullptr));
  EXPECT_EQ(std::tie(png.width, png.height), std::make_tuple(3u, 2u));
  EXPECT_EQ(top_first,
            (std::vector<unsigned char>{10, 11, 12, 13, 14, 15, 16, 17, 18, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(write_new_png(stem, 1, 1, red).path, stem + ".png");
  const std::string first = whole_file(stem + ".png");
  EXPECT_EQ(write_new_png(stem, 1, 1, blue).path, stem + "-2.png");
  EXPECT_EQ(whole_file(stem + ".png"), first);
  EXPECT_NE(whole_file(stem + "-2.png"), first);
  // A picture the disk has no room for says why, in the program's words only, and leaves no file.
  testing::internal::CaptureStderr();
  const picture_written cut = on_a_full_disk([&] { return write_new_png(stem, 64, 64, noise); });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(cut.why, "cannot write " + stem + "-3.png: " + std::strerror(EFBIG));
  EXPECT_FALSE(std::filesystem::exists(stem + "-3.png"));
  std::filesystem::remove_all(folder);
}
