// SPDX-License-Identifier: MIT
// What the shell reads from its command line besides handing it to GLUT: its own options (--help, --version,
// --keys, --pick, --inspect, --lesson, --text-scale) and X's -geometry, which places the mother window, with
// the scout window the same size beside it; and how large the text is drawn, from the option, GDK_SCALE or
// the display's dots per inch. Parsing only; nothing here opens a window.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

// A window's size and place on the screen, in pixels from the screen's top left.
struct window_placement {
  int width, height, x, y;
};

// What X can hold: a window's size is 16 bits unsigned, its position 16 bits signed.
constexpr int largest_window_px = 65535;
constexpr int smallest_position_px = -32768, largest_position_px = 32767;

// Reads a -geometry value, "[=][WIDTHxHEIGHT][{+-}X{+-}Y]", over the defaults: a part left out keeps its
// default, and a negative offset counts from the screen's right or bottom edge to the window's. Nothing
// when the value is malformed, or asks for a size outside 1 to largest_window_px or a place X cannot hold.
std::optional<window_placement> compute_geometry(const char* value, const window_placement& defaults,
                                                 int screen_width, int screen_height);

// Where the scout window goes, the mother window's size: beside it on the right, or else on its left, or else
// below it, where that lies wholly on the screen; otherwise as near the mother window as the screen allows.
window_placement compute_scout_placement(const window_placement& mother, int gap_px, int screen_width,
                                         int screen_height);

// Where the board goes when nothing names its place: in the largest part of the screen the two windows leave
// free (below, right of, left of or above both), where one is at least smallest_board_px each way and holds
// the board's text whole (holds_whole, when given, says whether a width x height board does). Where none
// is, the windows make room: each keeps its aspect and shrinks, both move up, and the board takes the lower
// part of the screen, a third or as much more as its text needs, up to two thirds; closing the board gives
// them back their place.
constexpr int smallest_board_px = 200;
struct board_arrangement {
  window_placement board{};
  bool windows_move = false;
  window_placement mother{}, scout{};  // where the windows stand while the board is open
};
board_arrangement compute_board_arrangement(const window_placement& mother, const window_placement& scout,
                                            int gap_px, int screen_width, int screen_height,
                                            const std::function<bool(int, int)>& holds_whole = {});

// The windows' size a lesson or -geometry asks for, fitted to the screen: as asked where both windows fit
// beside or below each other, else shrunk, keeping its aspect, until both fit side by side. scale is how
// much it was shrunk (1 when not).
struct fitted_size {
  int width, height;
  double scale;
};
fitted_size compute_fitted_size(int width, int height, int gap_px, int screen_width, int screen_height);

// A --board value or a lesson's board setting as -geometry would read it, or nothing when it cannot be one:
// the screen is not known when they are read, so a place on some screen will do.
std::optional<window_placement> compute_board_geometry(const char* value);

// What a pick aims at: a pixel of the window ("220,298"), a point given as fractions of its width and height
// ("50%,40%"), which lands alike on any size, or where a body's centre shows in it when the pick is made
// ("Saturn").
enum class pick_aim { pixel, fraction, body };

// A pick at start-up, after the typed keys: in which window, where, and whether it holds still (--inspect:
// kept for "k", no ship sent) or sends the active ship as space does (--pick).
struct start_pick {
  bool in_scout = false;     // "scout:..."; "mother:..." or no prefix is the mother window
  std::array<int, 2> at{};   // a pixel's X, Y in window pixels from the top left
  bool holds_still = false;  // --inspect
  pick_aim aim = pick_aim::pixel;
  std::array<double, 2> fraction{};  // of the window's width and height from its top left, 0 to 1
  std::string body;                  // the body's name as the views write it
};

// Where a pick aimed at a fraction of a width x height window lands, in pixels from its top left: 100% is
// the last pixel, not the one beyond.
std::array<int, 2> compute_fraction_pixel(const std::array<double, 2>& fraction, int width, int height);

// The pixel, from the top left, nearest a point shown at x, y pixels from the bottom left of a width x height
// window; nothing when that pixel lies outside the window.
std::optional<std::array<int, 2>> compute_shown_pixel(const std::array<double, 3>& shown, int width,
                                                      int height);

// The most keys typed for the user at once (--keys, a lesson's state): what the program types well within a
// second, a few hundred microseconds a key, so that no state freezes the windows while it is reached.
constexpr size_t most_typed_keys = 1000;

// A text as a terminal may be shown it: one line of printable ASCII, every other byte (a control code, a line
// break, a byte of a non-ASCII character) written as \xHH. Unchanged when it is such a line already.
std::string compute_printable(const std::string& text);
// A byte typed for the user (--keys, a lesson's keys) as a message names it: "'Q'", "space", or the byte
// itself, "the byte \x81", which no key types.
std::string describe_typed_byte(unsigned char key);

// The options the program reads itself, as --help, the README and the manual page name them: the option,
// its other spelling, and the words its value is written with that each of them must show.
struct option_row {
  const char* name;
  const char* alias;  // or null
  std::array<const char*, 2> value_words;
};
constexpr option_row option_table[] = {
    {"--help", "-h", {}},          {"--version", nullptr, {}},
    {"--keys", nullptr, {}},       {"--pick", nullptr, {"mother:", "scout:"}},
    {"--inspect", nullptr, {}},    {"--lesson", nullptr, {".lesson"}},
    {"--text-scale", nullptr, {}}, {"--board", nullptr, {}},
    {"--save-to", nullptr, {}},    {"-geometry", nullptr, {}},
};

// What --help says before the keys: how to call the program and what each option does, the windows named by
// their titles.
std::string compute_usage_text(const char* mother_title, const char* scout_title);

// The program's own options, read before GLUT sees the arguments. --keys, --pick, --inspect, --text-scale
// and their values are taken out of argv; -geometry stays for GLUT, which takes it out itself.
struct own_options {
  bool help = false;
  bool version = false;
  std::string keys;                // typed at start-up; empty without --keys
  std::optional<start_pick> pick;  // --pick or --inspect
  std::string lesson;              // --lesson FILE, or a FILE.lesson by itself; empty without
  bool lesson_by_itself = false;   // the FILE.lesson form, as a file manager starts the program
  std::optional<int> text_scale;   // --text-scale N, 1 to 4
  const char* geometry = nullptr;  // the value of the last -geometry, or null
  std::string save_to;             // --save-to FILE: where "S" saves; empty without
  bool board = false;              // --board: the board opens at start-up
  std::string board_geometry;      // its WxH+X+Y when given, or empty
  std::string usage_error;         // why the arguments cannot be used, in one line; empty when they can
};
own_options take_own_options(int& argc, char** argv);
// Whether an argument names a lesson by itself, as a file manager hands one over: it ends in ".lesson", in
// any case (a desktop types "Class.LESSON" a lesson too).
bool names_a_lesson(const std::string& argument);
// A position, "X,Y": two whole numbers from 0 to largest_window_px; nothing for anything else.
std::optional<std::array<int, 2>> compute_pick_position(const char* value);
// A --pick or --inspect value: after "mother:" or "scout:" or neither, "X,Y", "X%,Y%" (each from 0 to 100,
// decimals allowed) or the name of a body but the star-field, in any case ("Saturn", "moon"); nothing for
// anything else.
std::optional<start_pick> compute_start_pick(const char* value, bool holds_still);

// The overlays draw every pixel of a glyph as a block of text_scale x text_scale window pixels.
constexpr int smallest_text_scale = 1, largest_text_scale = 4;
// The dots per inch at which the text scale is 1: the desktops' convention, which Xft.dpi and Windows follow.
constexpr double unscaled_dpi = 96;
// A whole number from 1 to 4 and nothing else, as --text-scale takes it; nothing for anything else.
std::optional<int> compute_text_scale_option(const char* value);
// The dots per inch an Xft.dpi value gives ("192", "144.5"), or unscaled_dpi when it is missing or not a
// positive number.
double compute_resource_dpi(const char* value);
// The text scale: the option when given, else GDK_SCALE's value when it is a whole number from 1 up (4 for
// more), else the display's dots per inch over unscaled_dpi, rounded to the nearest whole number from 1 to 4.
int compute_text_scale(std::optional<int> option, const char* gdk_scale, double display_dpi);
