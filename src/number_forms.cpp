// SPDX-License-Identifier: MIT
#include "number_forms.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The value as printing it with decimals decimals shows it, its sign gone when that shows only zeros.
double round_away_negative_zero(double value, int decimals) {
  return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

// How many characters of text make the decimal number it starts with, or 0 when it starts with none: what
// strtod would also read as hexadecimal, infinity or NaN is no number here.
size_t decimal_length(const char* text) {
  const char* at = text;
  const auto skip_sign = [&] { at += *at == '+' || *at == '-'; };
  const auto skip_digits = [&] {
    const char* from = at;
    while (std::isdigit(static_cast<unsigned char>(*at))) ++at;
    return at != from;
  };
  skip_sign();
  const bool whole = skip_digits();
  const bool fraction = *at == '.' && (++at, skip_digits());
  if (!whole && !fraction) return 0;
  if (*at == 'e' || *at == 'E') {
    const char* exponent = at++;
    skip_sign();
    if (!skip_digits()) at = exponent;  // "1e" is the number 1 and a stray "e"
  }
  return size_t(at - text);
}

}  // namespace

std::optional<std::vector<double>> read_number_list(const std::string& text, bool as_floats) {
  std::vector<double> read;
  const char* at = text.c_str();
  while (*at == ' ') ++at;
  while (*at != '\0') {
    const size_t length = decimal_length(at);
    char* end = nullptr;
    // Underflow reads as the nearest small value, which is what was written; overflow is no finite number.
    const double number = length == 0 ? 0 : as_floats ? double(std::strtof(at, &end)) : std::strtod(at, &end);
    if (length == 0 || end != at + length || !std::isfinite(number)) return std::nullopt;
    read.push_back(number);
    at = end;
    while (*at == ' ') ++at;
    if (*at == ',') {
      ++at;
      while (*at == ' ') ++at;
      if (*at == '\0') return std::nullopt;
    } else if (*at != '\0') {
      return std::nullopt;
    }
  }
  return read;
}

std::string compute_significant_text(double value, int digits) {
  if (!std::isfinite(value) || value == 0) return compute_number_text(value, 0);
  const int magnitude = int(std::floor(std::log10(std::fabs(value))));
  return compute_number_text(value, std::max(0, digits - 1 - magnitude));
}

std::string compute_number_text(double value, int decimals) {
  char text[400];  // a float's largest, written out in full, fits
  std::snprintf(text, sizeof text, "%.*f", decimals, round_away_negative_zero(value, decimals));
  std::string written = text;
  if (written.find('.') != std::string::npos) {
    written.erase(written.find_last_not_of('0') + 1);
    if (written.back() == '.') written.pop_back();
  }
  return written;
}

namespace {

template <typename real>
std::vector<std::string> compute_rows(const real* m, int decimals) {
  const auto shown = [&](real value) { return round_away_negative_zero(value, decimals); };
  const int width = decimals + 5;  // sign, four digits before the point, the point
  std::vector<std::string> rows;
  for (int row = 0; row < 4; ++row) {
    char text[128];
    std::snprintf(text, sizeof text, "[ %*.*f %*.*f %*.*f %*.*f ]", width, decimals, shown(m[row]), width,
                  decimals, shown(m[4 + row]), width, decimals, shown(m[8 + row]), width, decimals,
                  shown(m[12 + row]));
    rows.emplace_back(text);
  }
  return rows;
}

}  // namespace

std::vector<std::string> compute_matrix_rows(const float* m) { return compute_rows(m, 3); }

std::vector<std::string> compute_matrix_rows(const double* m, int decimals) {
  return compute_rows(m, decimals);
}

std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane,
                                     int aspect_decimals) {
  char text[96];
  std::snprintf(text, sizeof text, "gluPerspective(%s, %.*f, %s, %s)",
                compute_significant_text(fovy_deg, plane_digits).c_str(), aspect_decimals, aspect,
                compute_significant_text(near_plane, plane_digits).c_str(),
                compute_significant_text(far_plane, plane_digits).c_str());
  return text;
}
