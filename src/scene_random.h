// SPDX-License-Identifier: MIT
// The scene's one random stream: every random attribute of the bodies and Saturn's ring colours are drawn
// from it, in a fixed order, and nothing seeds it, so every run builds the same scene. Where the C library
// has drand48 (Linux, the BSDs, macOS) the stream is drand48 itself, which anything else may share; where it
// has none (Windows) the program runs the same generator from glibc's unseeded, all-zero state.
#pragma once

#include <cstdint>

// The next draw of the stream, uniform in [0, 1).
double scene_random();

// One step of drand48's generator on a 48-bit state x: x' = (0x5DEECE66D * x + 0xB) mod 2^48, returned as
// x' / 2^48 (exact in a double). The stream where the C library lacks drand48, built everywhere for its test.
double compute_next_drand48(std::uint64_t& state);
