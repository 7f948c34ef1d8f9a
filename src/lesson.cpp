// SPDX-License-Identifier: MIT
// Reading a lesson file: line by line, each state a block under its [Fn] header, every setting checked as
// the command line checks its options, so that a lesson that loads can be played through without a surprise.
#include "lesson.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

#include "number_forms.h"

namespace {

std::string trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "[F1]" to "[F12]": the state's index, else -1.
int compute_header_index(const std::string& line) {
  if (line.size() < 4 || line.front() != '[' || line.back() != ']' || line[1] != 'F') return -1;
  const std::string digits = line.substr(2, line.size() - 3);
  if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos ||
      digits[0] == '0')
    return -1;
  const int number = std::stoi(digits);
  return number <= lesson_state_count ? number - 1 : -1;
}

// A line of the file quoted in a message: its start, enough to find it by, cut at a length a terminal line
// holds (a bad line may run to a megabyte). The shell writes its bytes printable.
std::string quote(const std::string& line) {
  constexpr size_t longest_quote = 40;
  if (line.size() <= longest_quote) return "\"" + line + "\"";
  return "\"" + line.substr(0, longest_quote) + "...\"";
}

// The ASCII a teacher's pasted typography is read as: dashes, curly quotes, the ellipsis and the spaces that
// do not break; null for any other character beyond Latin-1.
const char* ascii_look_alike(unsigned long code) {
  if (code == 0xa0 || code == 0x2007 || code == 0x2009 || code == 0x202f) return " ";
  if ((code >= 0x2010 && code <= 0x2015) || code == 0x2212) return "-";
  if ((code >= 0x2018 && code <= 0x201b) || code == 0x2032) return "'";
  if ((code >= 0x201c && code <= 0x201f) || code == 0x2033) return "\"";
  if (code == 0x2026) return "...";
  return nullptr;
}

// A title or a note as the overlays' font writes it: UTF-8 taken to Latin-1, a byte a character, whose
// letters and signs the font holds (°, é, ü, ×, ±); typography as its ASCII look-alike; any other character
// is written "?". Nothing for text that is not UTF-8 or holds a control character, which no line of a band
// can show.
std::optional<std::string> compute_latin1(const std::string& utf8) {
  std::string latin1;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xc2 && lead < 0xe0 ? 2
                       : lead >= 0xe0 && lead < 0xf0 ? 3
                       : lead >= 0xf0 && lead < 0xf5 ? 4
                                                     : 0;
    if (length == 0 || i + size_t(length) > utf8.size()) return std::nullopt;
    unsigned long code = length == 1 ? lead : lead & (0x7f >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + size_t(k)]);
      if ((next & 0xc0) != 0x80) return std::nullopt;
      code = code << 6 | (next & 0x3f);
    }
    const unsigned long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < shortest[length] || code > 0x10ffff || (code >= 0xd800 && code < 0xe000)) return std::nullopt;
    if (code < 0x20 || (code >= 0x7f && code < 0xa0)) return std::nullopt;
    if (const char* ascii = ascii_look_alike(code))
      latin1 += ascii;
    else
      latin1 += code <= 0xff ? char(code) : '?';
    i += size_t(length);
  }
  return latin1;
}

}  // namespace

std::string compute_utf8(const std::string& latin1) {
  std::string utf8;
  for (const char c : latin1) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      utf8 += c;
    } else {
      utf8 += char(0xc0 | code >> 6);
      utf8 += char(0x80 | (code & 0x3f));
    }
  }
  return utf8;
}

namespace {

// The reader's state between lines: the block being read, where it began and what it has set.
class lesson_reader {
 public:
  lesson_reader(const std::string& file, key_refusal refuse_key) : refuse_key_(refuse_key) {
    reading_.read.file = file;
  }

  void take_line(const std::string& raw, int number) {
    line_ = number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') return;
    if (line[0] == '[') return begin_state(line);
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      return refuse(quote(line) + " is not a [F1] to [F12] header, a NAME = VALUE setting or a # comment");
    set(trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
  }

  lesson_reading finish() {
    end_state();
    if (reading_.error.empty() && !any_state_)
      refuse_without_line("holds no state: a lesson has at least one of [F1] to [F12]");
    if (!reading_.error.empty()) reading_.read.states = {};
    return reading_;
  }

 private:
  void begin_state(const std::string& line) {
    end_state();
    const int index = compute_header_index(line);
    if (index < 0) return refuse(quote(line) + " is not a header: a state is one of [F1] to [F12]");
    if (reading_.read.states[size_t(index)]) return refuse(quote(line) + " is given twice");
    state_ = index;
    header_line_ = line_;
    given_ = {};
    numbers_ = {};
    reading_.read.states[size_t(index)] = lesson_state{};
    any_state_ = true;
  }

  // A state needs its title and its keys; an empty keys line is a fresh start-up scene.
  void end_state() {
    if (state_ < 0 || !reading_.error.empty()) return;
    const std::string header = "[F" + std::to_string(state_ + 1) + "]";
    const int line = line_;
    line_ = header_line_;  // told where the state begins
    if (!given_.title) refuse(header + " has no title = ...");
    lesson_state& state = *reading_.read.states[size_t(state_)];
    state.step = header.substr(1, header.size() - 2) + ": " + state.title;
    if (numbers_.any()) {
      if (given_.keys || given_.pick) refuse(header + " is given by numbers, which take no keys and no pick");
      if (const std::string missing = numbers_.finish(); !missing.empty()) refuse(missing);
      state.numbers = numbers_.read();
    } else if (!given_.keys) {
      refuse(header + " has no keys = ... (keys = with nothing after it for none)");
    }
    line_ = line;
    state_ = -1;
  }

  void set(const std::string& name, const std::string& value) {
    if (state_ < 0) return set_lesson(name, value);
    lesson_state& state = *reading_.read.states[size_t(state_)];
    if (numbers_.knows(name)) {
      if (const std::string why = numbers_.take(name, value); !why.empty()) refuse(why);
      return;
    }
    if (name == "title") {
      if (const std::optional<std::string> text = take_text("the title", value))
        if (first_time(given_.title, "title")) state.title = *text;
      return;
    }
    if (name == "note") {
      if (state.notes.size() == most_notes)
        return refuse("a state has at most " + std::to_string(most_notes) + " notes");
      if (const std::optional<std::string> text = take_text("the note", value)) state.notes.push_back(*text);
      return;
    }
    if (name == "mother lens" || name == "scout lens") {
      const size_t window = name[0] == 's' ? 1 : 0;
      if (state.lenses[window]) return refuse(name + " is given twice in this state");
      state.lenses[window] = take_lens(name, value);
      return;
    }
    if (name == "keys") {
      if (value.size() > most_typed_keys)
        return refuse("a state types at most " + std::to_string(most_typed_keys) +
                      " keys, and this one has " + std::to_string(value.size()));
      for (const char c : value)
        if (const char* why = refuse_key_(static_cast<unsigned char>(c)))
          return refuse("keys cannot type " + describe_typed_byte(static_cast<unsigned char>(c)) + ": " +
                        why);
      if (first_time(given_.keys, "keys")) state.keys = value;
      return;
    }
    if (name == "pick" || name == "inspect") {
      if (given_.pick) return refuse("a state has one pick, and this one has two");
      state.pick = compute_start_pick(value.c_str(), name == "inspect");
      if (!state.pick)
        return refuse(name +
                      " takes X,Y, X%,Y% or a body's name (Sun, Mercury ... Pluto, Moon), after mother: " +
                      "or scout: or neither, such as 256,256, 50%,40% or scout:Saturn");
      state.pick_line = line_;
      given_.pick = true;
      return;
    }
    refuse(quote(name) +
           " is no setting of a state: a state has title, note, keys, pick or inspect, mother lens and scout "
           "lens");
  }

  // The lesson's own settings, before its first state.
  void set_lesson(const std::string& name, const std::string& value) {
    if (name == "title") {
      if (const std::optional<std::string> text = take_text("the lesson's title", value))
        if (first_time(given_lesson_.title, "the lesson's title")) reading_.read.title = *text;
      return;
    }
    if (name == "size") {
      const std::optional<window_placement> size =
          value.find_first_of("+-=") == std::string::npos
              ? compute_geometry(value.c_str(), {0, 0, 0, 0}, largest_window_px, largest_window_px)
              : std::nullopt;
      const std::string limit = std::to_string(largest_lesson_window_px);
      if (!size || size->width > largest_lesson_window_px || size->height > largest_lesson_window_px)
        return refuse("size takes the windows' WIDTHxHEIGHT, each from 1 to " + limit + ", such as 950x1000");
      if (first_time(given_lesson_.size, "size"))
        reading_.read.size = std::array<int, 2>{size->width, size->height};
      return;
    }
    if (name == "text scale") {
      const std::optional<int> scale = compute_text_scale_option(value.c_str());
      if (!scale) return refuse("text scale takes a whole number from 1 to 4, as --text-scale does");
      if (first_time(given_lesson_.text_scale, "text scale")) reading_.read.text_scale = scale;
      return;
    }
    if (name == "board") {
      const bool named = value == "on" || value == "off";
      const std::optional<window_placement> place =
          named ? window_placement{1, 1, 0, 0} : compute_board_geometry(value.c_str());
      if (!place || place->width > largest_lesson_window_px || place->height > largest_lesson_window_px)
        return refuse("board takes on, off, or its WIDTHxHEIGHT+X+Y with sizes from 1 to " +
                      std::to_string(largest_lesson_window_px) + ", such as 1920x540+0+660");
      if (!first_time(given_lesson_.board, "board")) return;
      if (value == "off")
        reading_.read.board_off = true;
      else
        reading_.read.board = value == "on" ? "" : value;
      return;
    }
    refuse(quote(name) + " comes before the first [F1] to [F12] header, and a lesson's own settings are " +
           "title, size, text scale and board");
  }

  // A title or a note: not empty, and kept as the overlays' font writes it.
  std::optional<std::string> take_text(const std::string& what, const std::string& value) {
    if (value.empty()) {
      refuse(what + " is empty");
      return std::nullopt;
    }
    const std::optional<std::string> text = compute_latin1(value);
    if (!text) refuse(what + " is not UTF-8 text, or holds a control character");
    return text;
  }

  // "FIELD OF VIEW, NEAR, FAR" within the limits the keys keep to, in the grammar a saved state writes.
  std::optional<projection_lens> take_lens(const std::string& name, const std::string& value) {
    const std::optional<std::vector<double>> numbers = read_number_list(value, false);
    if (!numbers || numbers->size() != 3) {
      refuse(name + " takes FIELD OF VIEW, NEAR, FAR in degrees and scene units, such as 50, 1, 100");
      return std::nullopt;
    }
    const projection_lens lens = {(*numbers)[0], (*numbers)[1], (*numbers)[2]};
    if (!(lens.field_of_view >= narrowest_view_deg && lens.field_of_view <= widest_view_deg))
      refuse(name + "'s field of view runs from " + std::to_string(narrowest_view_deg) + " to " +
             std::to_string(widest_view_deg) + " degrees");
    else if (!(lens.near_distance >= nearest_near_plane && lens.far_distance <= farthest_far_plane))
      refuse(name + "'s planes lie from " + compute_significant_text(nearest_near_plane, plane_digits) +
             " to " + compute_significant_text(farthest_far_plane, plane_digits) + ", as the keys keep them");
    else if (!(lens.near_distance < lens.far_distance))
      refuse(name + "'s near plane must lie nearer than its far plane");
    else
      return lens;
    return std::nullopt;
  }

  // Marks a setting given; false, having said so, when it already was.
  bool first_time(bool& given, const char* name) {
    if (given) refuse(std::string(name) + " is given twice in this state");
    return !std::exchange(given, true);
  }

  // Only the first fault is told: the ones after it may be its consequences.
  void refuse(const std::string& why) {
    if (reading_.error.empty())
      reading_.error = reading_.read.file + ":" + std::to_string(line_) + ": " + why;
  }
  void refuse_without_line(const std::string& why) {
    if (reading_.error.empty()) reading_.error = reading_.read.file + ": " + why;
  }

  key_refusal refuse_key_;
  lesson_reading reading_;
  int line_ = 0;
  int state_ = -1;  // the block being read, or -1 before the first header
  int header_line_ = 0;
  bool any_state_ = false;
  state_reader numbers_;
  struct {
    bool title = false, keys = false, pick = false;
  } given_;
  struct {
    bool title = false, size = false, text_scale = false, board = false;
  } given_lesson_;
};

}  // namespace

lesson_reading compute_lesson(const std::string& text, const std::string& file, key_refusal refuse_key) {
  lesson_reader reader(file, refuse_key);
  // An editor may start a UTF-8 file with a byte order mark, which is no part of its first line.
  const std::string byte_order_mark = "\xEF\xBB\xBF";
  std::istringstream lines(text.rfind(byte_order_mark, 0) == 0 ? text.substr(byte_order_mark.size()) : text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) reader.take_line(line, number);
  return reader.finish();
}

namespace {

// Why a file cannot be a lesson before it is opened, or nothing when it is a regular file: a FIFO or a device
// would block the reader, or never end.
std::optional<std::string> refuse_file_type(const std::string& file) {
  std::error_code ignored;
  switch (std::filesystem::status(file, ignored).type()) {
    case std::filesystem::file_type::regular:
    case std::filesystem::file_type::not_found:  // opening it says why, as for a file that cannot be read
    case std::filesystem::file_type::none: return std::nullopt;
    case std::filesystem::file_type::directory: return "is a folder, not a lesson";
    case std::filesystem::file_type::fifo: return "is a pipe (FIFO), not a lesson";
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character: return "is a device, not a lesson";
    case std::filesystem::file_type::socket: return "is a socket, not a lesson";
    default: return "is not a regular file, and a lesson is one";
  }
}

}  // namespace

lesson_reading read_lesson_file(const std::string& file, key_refusal refuse_key) {
  const auto refused = [&](const std::string& why) {
    lesson_reading reading;
    reading.read.file = file;
    reading.error = file + ": " + why;
    return reading;
  };
  if (const std::optional<std::string> why = refuse_file_type(file)) return refused(*why);
  std::ifstream in(file, std::ios::binary);
  if (!in) return refused(std::string("cannot be read: ") + std::strerror(errno));
  std::string text(largest_lesson_bytes + 1, '\0');
  in.read(text.data(), std::streamsize(largest_lesson_bytes + 1));
  if (in.bad()) return refused(std::string("cannot be read: ") + std::strerror(errno));
  text.resize(size_t(in.gcount()));
  return compute_lesson_file(text, file, refuse_key);
}

lesson_reading compute_lesson_file(const std::string& text, const std::string& file, key_refusal refuse_key) {
  if (text.size() > largest_lesson_bytes || text.find('\0') != std::string::npos) {
    lesson_reading reading;
    reading.read.file = file;
    reading.error =
        file + (text.size() > largest_lesson_bytes ? ": is larger than a lesson can be (" +
                                                         std::to_string(largest_lesson_bytes >> 20) + " MB)"
                                                   : ": is not text");
    return reading;
  }
  return compute_lesson(text, file, refuse_key);
}
