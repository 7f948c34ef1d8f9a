// SPDX-License-Identifier: MIT
// The geometry the program computes for itself, checked value for value against what immediate mode would
// receive: gluSphere's own calls, and the ring strip sent vertex by vertex. Both are captured
// by defining the immediate-mode entry points in this executable, which the dynamic linker binds GLU's calls
// to before libGL's. That is why this suite is a process of its own and opens no GL context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "solar_system.h"

namespace {

struct captured_vertex {
  float vertex[3];
  float normal[3];
  float tex_coord[2];
};

struct captured_primitive {
  GLenum mode;
  std::vector<captured_vertex> vertices;
};

std::vector<captured_primitive> primitives;
captured_vertex current = {};

}  // namespace

extern "C" {
void glBegin(GLenum mode) { primitives.push_back({mode, {}}); }
void glEnd() {}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  current.normal[0] = x;
  current.normal[1] = y;
  current.normal[2] = z;
}
void glTexCoord2f(GLfloat s, GLfloat t) {
  current.tex_coord[0] = s;
  current.tex_coord[1] = t;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  current.vertex[0] = x;
  current.vertex[1] = y;
  current.vertex[2] = z;
  primitives.back().vertices.push_back(current);
}
}

namespace {

std::uint32_t bits(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// Compares bit patterns, so that a -0 for a +0 or one unit in the last place counts as a difference.
::testing::AssertionResult same_bits(const float* expected, const float* got, int count) {
  for (int k = 0; k < count; ++k) {
    if (bits(expected[k]) != bits(got[k]))
      return ::testing::AssertionFailure()
             << "value " << k << ": expected " << expected[k] << " (bits " << bits(expected[k]) << "), got "
             << got[k] << " (bits " << bits(got[k]) << ")";
  }
  return ::testing::AssertionSuccess();
}

TEST(SphereMesh, IsWhatGluSphereEmitsBitForBit) {
  primitives.clear();
  GLUquadric* quadric = gluNewQuadric();
  ASSERT_NE(quadric, nullptr);
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  gluSphere(quadric, 1.0, sphere_slices, sphere_stacks);
  gluDeleteQuadric(quadric);

  ASSERT_EQ(primitives.size(), size_t(sphere_stacks)) << "one primitive per stack";
  const sphere_mesh mesh = compute_sphere_mesh();
  for (int stack = 0; stack < sphere_stacks; ++stack) {
    const captured_primitive& strip = primitives[stack];
    EXPECT_EQ(strip.mode, GLenum(GL_QUAD_STRIP)) << "stack " << stack;
    ASSERT_EQ(strip.vertices.size(), size_t(sphere_strip_vertex_count)) << "stack " << stack;
    for (int k = 0; k < sphere_strip_vertex_count; ++k) {
      const int v = stack * sphere_strip_vertex_count + k;
      const captured_vertex& glu = strip.vertices[k];
      EXPECT_TRUE(same_bits(glu.vertex, &mesh.vertices[3 * v], 3)) << "vertex " << v;
      EXPECT_TRUE(same_bits(glu.normal, &mesh.normals[3 * v], 3)) << "normal " << v;
      EXPECT_TRUE(same_bits(glu.tex_coord, &mesh.tex_coords[2 * v], 2)) << "texture coordinate " << v;
    }
  }
}

TEST(RingStrip, IsTheStripOnceSentVertexByVertex) {
  // Saturn's innermost and outermost rings, and an orbit whose radius is not a short binary fraction.
  for (const float radius : {1.6f, 2.55f, 38.0f, 56.0f}) {
    primitives.clear();
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < 200; ++i) {
      const double a = i * 2 * M_PI / 199;
      glVertex3f(radius * std::cos(a), 0.0f, radius * std::sin(a));
    }
    glEnd();
    const ring_vertices strip = compute_ring_vertices(radius);
    ASSERT_EQ(primitives.at(0).vertices.size(), size_t(ring_vertex_count));
    for (int i = 0; i < ring_vertex_count; ++i)
      EXPECT_TRUE(same_bits(primitives[0].vertices[i].vertex, &strip[3 * i], 3))
          << "radius " << radius << ", vertex " << i;
  }
}

}  // namespace
