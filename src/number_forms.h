// SPDX-License-Identifier: MIT
// How the views write numbers, as a student copies them onto the board: fixed notation, never an exponent,
// no trailing zeros, and no "-0" where only zeros show. Plain text, no GL: the readouts, the pick's report
// and the chain of transforms all write through these.
#pragma once

#include <optional>
#include <string>
#include <vector>

// A number as a student copies it onto the board: fixed notation, never an exponent, at most decimals
// decimals with the trailing zeros dropped ("120", "0.5", "13480.1"), and "0" for a value that rounds to
// zero there, whatever its sign.
std::string compute_number_text(double value, int decimals);
// A value in fixed notation to so many significant digits, trailing zeros dropped: 569.9, 0.00009766, 2000,
// 2048000 (never 2.048e+06).
std::string compute_significant_text(double value, int digits);
// The digits a plane or a field of view is written with: 0.1, 102.4, 0.00009766.
constexpr int plane_digits = 4;

// A column-major matrix as a student writes it: four rows, each "[ a  b  c  d ]" with three decimals, in
// columns; a value that rounds to zero is written 0.000, not -0.000.
std::vector<std::string> compute_matrix_rows(const float* m);
// The same for a matrix kept in double, with as many decimals as asked.
std::vector<std::string> compute_matrix_rows(const double* m, int decimals);

// The projection call as a frame makes it, with the window's aspect to as many decimals as asked:
// "gluPerspective(70, 1.00, 0.1, 2000)". The bands write two, the board four, enough to redo the matrix.
constexpr int band_aspect_decimals = 2, board_aspect_decimals = 4;
std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane,
                                     int aspect_decimals = band_aspect_decimals);

// The numbers of a comma-separated list as saved states and lessons write them: each an optional sign,
// digits with at most one point and an optional exponent (9.7656251455191523e-05), and finite; nothing for
// any other text. Read as floats when asked, so that the nine digits a float is written with give it back.
std::optional<std::vector<double>> read_number_list(const std::string& text, bool as_floats);
