// SPDX-License-Identifier: MIT
// The bodies' names as people know them and the views write them, in body_name order (scene_names.h): the
// one list the views, the names overlay and a pick aimed by name all read. No GL here, so that the option
// and lesson readers can check a name.
#pragma once

#include <cctype>
#include <string>

constexpr const char* body_labels[] = {"Star-field", "Sun",     "Mercury", "Venus",  "Earth",   "Moon",
                                       "Mars",       "Jupiter", "Saturn",  "Uranus", "Neptune", "Pluto"};
constexpr int body_label_count = int(sizeof body_labels / sizeof body_labels[0]);

// The body a pick may aim at by name, its name matched without regard to case, as its index; -1 for any
// other name, the star-field's among them: it surrounds the eye, and has no centre to aim at.
inline int find_aimable_body(const std::string& name) {
  for (int b = 1; b < body_label_count; ++b) {
    const std::string label = body_labels[b];
    bool same = label.size() == name.size();
    for (size_t i = 0; same && i < name.size(); ++i)
      same = std::tolower(static_cast<unsigned char>(name[i])) ==
             std::tolower(static_cast<unsigned char>(label[i]));
    if (same) return b;
  }
  return -1;
}
