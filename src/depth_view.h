// SPDX-License-Identifier: MIT
// The depth view ("u"): a window's depth buffer shown as grey in place of its colours, white at the near
// plane and black at the far one, linear in window depth, so that a class sees where the buffer spends its
// precision: with the start-up planes nearly all of the scene lies in the last greys.
#pragma once

#include <cstddef>
#include <cstdint>

// The grey a depth shows as, given as the buffer is read back in whole numbers (0 at the near plane, 2^32 - 1
// at the far one): 255 down to 0, linear in window depth, rounded.
unsigned char compute_depth_grey(std::uint32_t depth);
// Replaces the colours of the current window's frame, width x height pixels from its bottom left, with its
// depth buffer as grey. Leaves the depth buffer, both matrix stacks, the pixel storage and every enable as it
// found them.
void draw_depth_as_grey(int width, int height);
// Gives back the memory of the read-back, as the frame does while the view is off.
void release_depth_view();
// How much memory the read-back holds between frames: at most a 1024 x 1024 window's, nothing while off.
size_t depth_view_held_bytes();
