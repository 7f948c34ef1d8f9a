// SPDX-License-Identifier: MIT
// The option reader of command_line.h. -geometry is read as X's XParseGeometry reads it, so that the program
// needs no X header for it.
#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "body_labels.h"
#include "key_codes.h"

namespace {

// Reads an unsigned decimal number of at most largest digits' worth at text, moving text past it; false
// when there is none or it is larger than largest.
bool read_number(const char*& text, int largest, int& value) {
  if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  long long number = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    number = number * 10 + (*text - '0');
    if (number > largest) return false;
  }
  value = int(number);
  return true;
}

// Reads "+N" or "-N"; negative tells which edge it counts from.
bool read_offset(const char*& text, int& value, bool& negative) {
  if (*text != '+' && *text != '-') return false;
  negative = *text == '-';
  ++text;
  return read_number(text, largest_position_px, value);
}

bool holds_position(int position) {
  return position >= smallest_position_px && position <= largest_position_px;
}

// Whether a window of this length starting at position lies wholly within a screen of that length.
bool lies_within(int position, int length, int screen_length) {
  return position >= 0 && position + length <= screen_length;
}

// The nearest position to wanted at which the window lies on the screen, or 0 where it is larger than it.
int clamp_onto(int wanted, int length, int screen_length) {
  return std::max(0, std::min(wanted, screen_length - length));
}

// The GLUT options that take a value: their value is never read as one of the program's options.
bool takes_a_value(const char* argument) {
  return std::strcmp(argument, "-display") == 0 || std::strcmp(argument, "-geometry") == 0;
}

}  // namespace

std::optional<window_placement> compute_geometry(const char* value, const window_placement& defaults,
                                                 int screen_width, int screen_height) {
  if (value == nullptr) return std::nullopt;
  window_placement placed = defaults;
  const char* text = value;
  if (*text == '=') ++text;
  if (*text == '\0') return std::nullopt;  // neither a size nor a place
  if (std::isdigit(static_cast<unsigned char>(*text))) {
    if (!read_number(text, largest_window_px, placed.width) || (*text != 'x' && *text != 'X'))
      return std::nullopt;
    ++text;
    if (!read_number(text, largest_window_px, placed.height)) return std::nullopt;
  }
  if (*text != '\0') {
    int x = 0, y = 0;
    bool x_negative = false, y_negative = false;
    if (!read_offset(text, x, x_negative) || !read_offset(text, y, y_negative) || *text != '\0')
      return std::nullopt;
    placed.x = x_negative ? screen_width - placed.width - x : x;
    placed.y = y_negative ? screen_height - placed.height - y : y;
  }
  if (placed.width < 1 || placed.height < 1 || !holds_position(placed.x) || !holds_position(placed.y))
    return std::nullopt;
  return placed;
}

window_placement compute_scout_placement(const window_placement& mother, int gap_px, int screen_width,
                                         int screen_height) {
  window_placement scout = mother;
  const int right = mother.x + mother.width + gap_px, left = mother.x - gap_px - mother.width;
  const int below = mother.y + mother.height + gap_px;
  scout.y = clamp_onto(mother.y, mother.height, screen_height);
  if (lies_within(right, mother.width, screen_width)) {
    scout.x = right;
  } else if (lies_within(left, mother.width, screen_width)) {
    scout.x = left;
  } else if (lies_within(below, mother.height, screen_height) &&
             lies_within(mother.x, mother.width, screen_width)) {
    scout.y = below;
  } else {
    scout.x = clamp_onto(right, mother.width, screen_width);
  }
  return scout;
}

namespace {

long area_of(const window_placement& r) { return long(r.width) * r.height; }

// The windows shrunk to leave the lower third of the screen to the board, side by side or one above the
// other as they stood, from the screen's top.
board_arrangement make_room(const window_placement& mother, const window_placement& scout, int gap_px,
                            int screen_width, int screen_height, const std::function<bool(int, int)>& holds) {
  const bool beside = scout.y == mother.y;
  int board_height = std::max(smallest_board_px, screen_height / 3);
  const int step = std::max(1, screen_height / 24), most = screen_height * 2 / 3;
  while (holds && board_height + step <= most && !holds(screen_width, board_height)) board_height += step;
  const int across = beside ? 2 * mother.width + gap_px : mother.width;
  const int down = beside ? mother.height : 2 * mother.height + gap_px;
  const double shrink =
      std::min({1.0, double(screen_width) / across, double(screen_height - board_height - gap_px) / down});
  board_arrangement room;
  room.windows_move = true;
  const int width = std::max(1, int(mother.width * shrink)),
            height = std::max(1, int(mother.height * shrink));
  const int left = clamp_onto(std::min(mother.x, scout.x), beside ? 2 * width + gap_px : width, screen_width);
  room.mother = {width, height, left, 0};
  room.scout = beside ? window_placement{width, height, left + width + gap_px, 0}
                      : window_placement{width, height, left, height + gap_px};
  const int top = std::max(room.mother.y + height, room.scout.y + height) + gap_px;
  room.board = {std::min(screen_width, largest_window_px), std::max(1, screen_height - top), 0, top};
  return room;
}

}  // namespace

board_arrangement compute_board_arrangement(const window_placement& mother, const window_placement& scout,
                                            int gap_px, int screen_width, int screen_height,
                                            const std::function<bool(int, int)>& holds_whole) {
  const int left = std::min(mother.x, scout.x), top = std::min(mother.y, scout.y);
  const int right = std::max(mother.x + mother.width, scout.x + scout.width);
  const int bottom = std::max(mother.y + mother.height, scout.y + scout.height);
  const window_placement free_parts[] = {
      {screen_width, screen_height - bottom - gap_px, 0, bottom + gap_px},  // below
      {screen_width - right - gap_px, screen_height, right + gap_px, 0},    // right
      {left - gap_px, screen_height, 0, 0},                                 // left
      {screen_width, top - gap_px, 0, 0}};                                  // above
  board_arrangement arranged;
  arranged.mother = mother;
  arranged.scout = scout;
  for (const window_placement& part : free_parts)
    if (part.width >= smallest_board_px && part.height >= smallest_board_px && part.x >= 0 && part.y >= 0 &&
        area_of(part) > area_of(arranged.board) && (!holds_whole || holds_whole(part.width, part.height)))
      arranged.board = part;
  if (area_of(arranged.board) > 0) {
    arranged.board.width = std::min(arranged.board.width, largest_window_px);
    arranged.board.height = std::min(arranged.board.height, largest_window_px);
    return arranged;
  }
  return make_room(mother, scout, gap_px, screen_width, screen_height, holds_whole);
}

fitted_size compute_fitted_size(int width, int height, int gap_px, int screen_width, int screen_height) {
  const bool beside = 2 * width + gap_px <= screen_width && height <= screen_height;
  const bool below = width <= screen_width && 2 * height + gap_px <= screen_height;
  if (beside || below) return {width, height, 1.0};
  const double shrink = std::min(double(screen_width - gap_px) / (2 * width), double(screen_height) / height);
  return {std::max(1, int(width * shrink)), std::max(1, int(height * shrink)), shrink};
}

std::optional<window_placement> compute_board_geometry(const char* value) {
  // On a screen of no size a place counted from its right or bottom edge is as far left or up as it gets.
  return compute_geometry(value, {1, 1, 0, 0}, 0, 0);
}

namespace {

// "A,B": two values that each start with a digit, as read_one reads them, which moves next past what it read;
// nothing unless the comma and the end stand where they must.
template <typename value, typename reader>
std::optional<std::array<value, 2>> read_pair(const char* text, reader read_one) {
  std::array<value, 2> pair;
  for (size_t i = 0; i < 2; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(*text))) return std::nullopt;
    const std::optional<value> read = read_one(text);
    if (!read || *text != (i == 0 ? ',' : '\0')) return std::nullopt;
    pair[i] = *read;
    ++text;
  }
  return pair;
}

// "X%,Y%": two numbers from 0 to 100, each with its percent sign, as fractions.
std::optional<std::array<double, 2>> compute_pick_fraction(const char* value) {
  return read_pair<double>(value, [](const char*& next) -> std::optional<double> {
    char* end = nullptr;
    const double percent = std::strtod(next, &end);
    const bool plain = std::strspn(next, "0123456789.") == size_t(end - next);  // no exponent, no hex
    if (!plain || !(percent <= 100) || *end != '%') return std::nullopt;
    next = end + 1;
    return percent / 100;
  });
}

}  // namespace

std::optional<std::array<int, 2>> compute_pick_position(const char* value) {
  return read_pair<int>(value, [](const char*& next) -> std::optional<int> {
    char* end = nullptr;
    const long read = std::strtol(next, &end, 10);
    if (read > largest_window_px) return std::nullopt;
    next = end;
    return int(read);
  });
}

std::optional<start_pick> compute_start_pick(const char* value, bool holds_still) {
  start_pick pick;
  pick.holds_still = holds_still;
  for (const auto& [prefix, in_scout] : {std::pair{"mother:", false}, std::pair{"scout:", true}})
    if (std::strncmp(value, prefix, std::strlen(prefix)) == 0) {
      pick.in_scout = in_scout;
      value += std::strlen(prefix);
      break;
    }
  if (const std::optional<std::array<int, 2>> at = compute_pick_position(value)) {
    pick.at = *at;
    return pick;
  }
  if (const std::optional<std::array<double, 2>> fraction = compute_pick_fraction(value)) {
    pick.aim = pick_aim::fraction;
    pick.fraction = *fraction;
    return pick;
  }
  const int body = find_aimable_body(value);
  if (body < 0) return std::nullopt;
  pick.aim = pick_aim::body;
  pick.body = body_labels[body];
  return pick;
}

std::array<int, 2> compute_fraction_pixel(const std::array<double, 2>& fraction, int width, int height) {
  const auto along = [](double part, int size) { return std::min(size - 1, int(part * size)); };
  return {along(fraction[0], width), along(fraction[1], height)};
}

std::optional<std::array<int, 2>> compute_shown_pixel(const std::array<double, 3>& shown, int width,
                                                      int height) {
  const std::array<int, 2> at = {int(std::lround(shown[0])), int(std::lround(height - shown[1]))};
  if (at[0] < 0 || at[0] >= width || at[1] < 0 || at[1] >= height) return std::nullopt;
  return at;
}

std::optional<int> compute_text_scale_option(const char* value) {
  int scale = 0;
  if (!read_number(value, largest_text_scale, scale) || *value != '\0' || scale < smallest_text_scale)
    return std::nullopt;
  return scale;
}

double compute_resource_dpi(const char* value) {
  if (value == nullptr) return unscaled_dpi;
  char* end = nullptr;
  const double dpi = std::strtod(value, &end);
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;  // a resource file's value may end in blanks
  return end != value && *end == '\0' && std::isfinite(dpi) && dpi > 0 ? dpi : unscaled_dpi;
}

int compute_text_scale(std::optional<int> option, const char* gdk_scale, double display_dpi) {
  if (option) return *option;
  if (gdk_scale != nullptr && *gdk_scale != '\0' &&
      std::strspn(gdk_scale, "0123456789") == std::strlen(gdk_scale)) {
    // Digits only: read exactly, or as a huge number, never as an error.
    const double whole = std::strtod(gdk_scale, nullptr);
    if (whole >= 1) return int(std::min(whole, double(largest_text_scale)));
  }
  const double ratio = std::isfinite(display_dpi) && display_dpi > 0 ? display_dpi / unscaled_dpi : 1;
  // Kept within the scales before it is rounded: a ratio past what a long holds has no rounding.
  const double kept = std::clamp(ratio, double(smallest_text_scale), double(largest_text_scale));
  return int(std::lround(kept));
}

own_options take_own_options(int& argc, char** argv) {
  own_options options;
  bool keys_given = false, pick_given = false, scale_given = false, lesson_given = false, save_given = false;
  const auto refuse = [&](const char* why) {
    if (options.usage_error.empty()) options.usage_error = why;
  };
  // Takes count arguments from i on out of argv; the loop then goes on with the one after them.
  const auto drop = [&](int& i, int count) {
    for (int k = i + count; k <= argc; ++k) argv[k - count] = argv[k];  // argv[argc] is null and moves too
    argc -= count;
    --i;
  };
  // Takes an option of the program's own and its value out of argv, whatever the value is.
  const auto take_value = [&](int& i, bool& given, const char* missing, const char* twice) -> const char* {
    if (i + 1 >= argc) {
      refuse(missing);
      return nullptr;
    }
    if (given) refuse(twice);
    given = true;
    const char* value = argv[i + 1];
    drop(i, 2);
    return value;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") options.help = true;
    if (argument == "--version") options.version = true;
    if (argument == "--keys") {
      const char* value = take_value(i, keys_given, "--keys needs the keys to type, such as --keys g6n",
                                     "--keys is given twice; give every key in one, such as --keys g6n");
      if (value == nullptr) break;
      options.keys = value;
      continue;
    }
    if (argument == "--pick" || argument == "--inspect") {
      const std::string needs = argument + " needs a position, such as " + argument + " 256,256";
      const char* value = take_value(i, pick_given, needs.c_str(),
                                     "--pick and --inspect are given twice; a lesson starts with one pick");
      if (value == nullptr) break;
      options.pick = compute_start_pick(value, argument == "--inspect");
      if (!options.pick)
        refuse(
            "--pick and --inspect take X,Y, X%,Y% or a body's name (Sun, Mercury ... Pluto, Moon), after "
            "mother: or scout: or neither, such as --pick 256,256, --pick 50%,40% or --pick scout:Saturn");
      continue;
    }
    if (argument == "--lesson" || names_a_lesson(argument)) {
      const char* twice = "--lesson is given twice; the program plays one lesson";
      if (argument != "--lesson") {  // the file alone: the option is implied
        if (lesson_given) refuse(twice);
        lesson_given = true;
        options.lesson = argument;
        options.lesson_by_itself = true;
        drop(i, 1);
        continue;
      }
      const char* value =
          take_value(i, lesson_given, "--lesson needs a lesson file, such as --lesson guide.lesson", twice);
      if (value == nullptr) break;
      options.lesson = value;
      if (options.lesson.empty()) refuse("--lesson needs a lesson file, such as --lesson guide.lesson");
      continue;
    }
    if (argument == "--text-scale") {
      const char* value = take_value(i, scale_given, "--text-scale needs a whole number from 1 to 4",
                                     "--text-scale is given twice");
      if (value == nullptr) break;
      options.text_scale = compute_text_scale_option(value);
      if (!options.text_scale)
        refuse("--text-scale takes a whole number from 1 to 4, such as --text-scale 2");
      continue;
    }
    if (argument == "--save-to") {
      const char* value = take_value(i, save_given, "--save-to needs a file, such as --save-to class.lesson",
                                     "--save-to is given twice");
      if (value == nullptr) break;
      options.save_to = value;
      if (options.save_to.empty()) refuse("--save-to needs a file, such as --save-to class.lesson");
      continue;
    }
    if (argument == "--board") {
      // Its place is optional: the next argument is its place unless it is another option or a lesson
      // file, so that a mistyped place ("garbage", "-5x5") is refused rather than ignored.
      const char* next = i + 1 < argc ? argv[i + 1] : "";
      const bool another_option = next[0] == '-' && !std::isdigit(static_cast<unsigned char>(next[1]));
      const bool placed = next[0] != '\0' && !another_option && !names_a_lesson(next);
      if (options.board) refuse("--board is given twice");
      options.board = true;
      if (placed) options.board_geometry = next;
      drop(i, placed ? 2 : 1);
      if (placed && !compute_board_geometry(options.board_geometry.c_str()))
        refuse(
            "--board takes WIDTHxHEIGHT+X+Y as -geometry does, or nothing, such as --board 1920x540+0+660");
      continue;
    }
    if (takes_a_value(argv[i])) {
      if (i + 1 >= argc) {
        refuse(argument == "-geometry" ? "-geometry needs a value, such as -geometry 640x480+0+0"
                                       : "-display needs the display's name, such as -display :0");
        break;
      }
      if (argument == "-geometry") options.geometry = argv[i + 1];
      ++i;
    }
  }
  return options;
}

std::string compute_printable(const std::string& text) {
  static const char hex[] = "0123456789abcdef";
  std::string printable;
  printable.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= ' ' && byte <= '~') {
      printable += c;
      continue;
    }
    printable += "\\x";
    printable += hex[byte >> 4];
    printable += hex[byte & 15];
  }
  return printable;
}

std::string describe_typed_byte(unsigned char key) {
  if (key >= ' ' && key <= '~') return describe_key(key);
  return "the byte " + compute_printable(std::string(1, char(key)));
}

bool names_a_lesson(const std::string& argument) {
  const std::string ending = ".lesson";
  if (argument.size() <= ending.size() || argument[0] == '-') return false;
  const size_t start = argument.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(argument[start + i])) != ending[i]) return false;
  return true;
}

std::string compute_usage_text(const char* mother_title, const char* scout_title) {
  char text[4096];
  std::snprintf(
      text, sizeof text,
      "Usage: solar_demo [--help | -h | --version] [--keys KEYS]\n"
      "                  [--pick | --inspect [mother: | scout:]X,Y | X%%,Y%% | BODY]\n"
      "                  [--lesson FILE | FILE.lesson] [--text-scale N] [--board [WxH+X+Y]]\n"
      "                  [--save-to FILE] [-geometry WxH+X+Y] [GLUT options such as -display NAME]\n"
      "\n"
      "A small solar system in two windows, \"%s\" and \"%s\", each showing the view\n"
      "from one of two ships that fly through the same scene. -geometry sizes and places the\n"
      "first window; the second takes the same size beside it. --keys types KEYS at start-up,\n"
      "in order, as if pressed in the first window (--keys g6n follows Saturn with names on).\n"
      "--pick X,Y then picks at (X, Y) of the first window, pixels from its top left, as space\n"
      "with the pointer there would (mother:X,Y the same); scout:X,Y picks in the second window.\n"
      "X%%,Y%% picks at fractions of the window's width and height, and a body's name (Saturn)\n"
      "where that body's centre shows then: both fit a window of any size.\n"
      "--inspect picks as Shift+space does: the pick is kept for k, and no ship moves.\n"
      "--lesson FILE (or FILE.lesson alone) loads a lesson: up to twelve prepared states, each a\n"
      "title, keys and a pick, which F1 to F12 go to from a fresh start-up scene. F1 to F12\n"
      "work only with a lesson loaded; without one they do nothing.\n"
      "--text-scale N draws every pixel of the text as an NxN block, N from 1 to 4. Without it\n"
      "the scale is GDK_SCALE when that is a whole number, else the desktop's dots per inch\n"
      "(X's Xft.dpi resource; Windows' display setting) over 96, rounded.\n"
      "--board opens the board (Tab opens and closes it): a third window that shows every number\n"
      "of i, k, t and u for both windows, whole and as large as fits, while the two windows keep\n"
      "the status line alone. By default it takes the room they leave, or they make room for it;\n"
      "WxH+X+Y places it.\n"
      "S saves the scene as a lesson's state, under the first free F key of a lesson file:\n"
      "--save-to FILE, else saved.lesson in the user's data folder (XDG_DATA_HOME or\n"
      "~/.local/share, then solar-demo/; APPDATA on Windows). --lesson FILE brings it back.\n"
      "Backspace steps back through the last 100 keys that changed the scene.\n"
      "Other arguments go to GLUT unchanged. Keys go to the window that has the keyboard focus.\n",
      mother_title, scout_title);
  return text;
}
