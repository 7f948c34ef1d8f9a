// SPDX-License-Identifier: MIT
// The scene's random stream: the C library's drand48 where it has one, else the same generator run here.
// The build says which (SOLAR_HAVE_DRAND48).
#include "scene_random.h"

#include <cstdlib>

namespace {

constexpr std::uint64_t multiplier = 0x5DEECE66Dull;
constexpr std::uint64_t increment = 0xBull;
constexpr int state_bits = 48;
constexpr std::uint64_t state_mask = (std::uint64_t{1} << state_bits) - 1;
constexpr double state_range = static_cast<double>(std::uint64_t{1} << state_bits);

}  // namespace

double compute_next_drand48(std::uint64_t& state) {
  state = (multiplier * state + increment) & state_mask;
  return static_cast<double>(state) / state_range;
}

double scene_random() {
#if SOLAR_HAVE_DRAND48
  return drand48();
#else
  static std::uint64_t state = 0;
  return compute_next_drand48(state);
#endif
}
