// SPDX-License-Identifier: MIT
// The -geometry reader of command_line.h, written as X's XParseGeometry reads the value, so that the program
// needs no X header for it.
#include "command_line.h"

#include <cctype>
#include <cstring>

namespace {

// Reads an unsigned decimal number at text, moving text past it; false when there is none or it would
// not fit an int.
bool read_number(const char*& text, int& value) {
  if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  long long number = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    number = number * 10 + (*text - '0');
    if (number > 1000000) return false;
  }
  value = int(number);
  return true;
}

// Reads "+N" or "-N"; negative tells which edge it counts from.
bool read_offset(const char*& text, int& value, bool& negative) {
  if (*text != '+' && *text != '-') return false;
  negative = *text == '-';
  ++text;
  return read_number(text, value);
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
    if (!read_number(text, placed.width) || (*text != 'x' && *text != 'X')) return std::nullopt;
    ++text;
    if (!read_number(text, placed.height)) return std::nullopt;
  }
  if (*text != '\0') {
    int x = 0, y = 0;
    bool x_negative = false, y_negative = false;
    if (!read_offset(text, x, x_negative) || !read_offset(text, y, y_negative) || *text != '\0')
      return std::nullopt;
    placed.x = x_negative ? screen_width - placed.width - x : x;
    placed.y = y_negative ? screen_height - placed.height - y : y;
  }
  if (placed.width < 1 || placed.height < 1) return std::nullopt;
  return placed;
}

const char* find_geometry_argument(int argc, char** argv) {
  const char* value = nullptr;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-geometry") == 0) value = argv[i + 1];
  return value;
}
