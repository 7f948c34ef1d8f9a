// SPDX-License-Identifier: MIT
#include "number_forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The value as printing it with decimals decimals shows it, its sign gone when that shows only zeros.
double round_away_negative_zero(double value, int decimals) {
  return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

}  // namespace

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
