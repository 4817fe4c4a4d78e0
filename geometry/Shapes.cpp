#include "geometry/Shapes.h"

#include "geometry/Meshes.h"
#include "platform/Gl.h"
#include "render/Texture.h"

namespace {
struct Face {
  Point3 normal;
  Point3 corners[4];
};

// A face of a box with the whole texture on it: (0, 0), (1, 0), (1, 1), (0, 1) at its corners.
void emitTexturedFace(const Face& face) {
  static const float unitCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  glNormal3f(face.normal.x, face.normal.y, face.normal.z);
  for (int k = 0; k < 4; ++k) {
    glTexCoord2f(unitCoords[k][0], unitCoords[k][1]);
    glVertex3f(face.corners[k].x, face.corners[k].y, face.corners[k].z);
  }
}

// A face that keeps whatever texture coordinate came last.
void emitPlainFace(const Face& face) {
  glNormal3f(face.normal.x, face.normal.y, face.normal.z);
  for (const Point3& c : face.corners) glVertex3f(c.x, c.y, c.z);
}
}  // namespace

void drawFlatQuad(float width, float height, float repeat) {
  const float x = width / 2, y = height / 2;
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  glTexCoord2f(repeat, 0);
  glVertex3f(-x, y, 0);
  glTexCoord2f(repeat, repeat);
  glVertex3f(-x, -y, 0);
  glTexCoord2f(0, 0);
  glVertex3f(x, y, 0);
  glTexCoord2f(0, repeat);
  glVertex3f(x, -y, 0);
  glEnd();
}

void drawCube(float edge) {
  const float x = edge / 2;
  const Face faces[6] = {
      {{0, 0, 1}, {{x, x, x}, {-x, x, x}, {-x, -x, x}, {x, -x, x}}},
      {{0, 1, 0}, {{x, x, x}, {x, x, -x}, {-x, x, -x}, {-x, x, x}}},
      {{1, 0, 0}, {{x, x, -x}, {x, x, x}, {x, -x, x}, {x, -x, -x}}},
      {{-1, 0, 0}, {{-x, x, x}, {-x, x, -x}, {-x, -x, -x}, {-x, -x, x}}},
      {{0, 0, -1}, {{-x, x, -x}, {x, x, -x}, {x, -x, -x}, {-x, -x, -x}}},
      {{0, -1, 0}, {{-x, -x, x}, {-x, -x, -x}, {x, -x, -x}, {x, -x, x}}},
  };
  glBegin(GL_QUADS);
  for (const Face& face : faces) emitTexturedFace(face);
  glEnd();
}

void drawTaperedBox(float innerSide, float outerSide, float length) {
  const float e = length / 2, p = innerSide / 2, q = outerSide / 2;
  // The slanted sides keep the axis normals of the faces they stand for.
  const Face faces[6] = {
      {{0, 0, 1}, {{e, q, q}, {-e, p, p}, {-e, -p, p}, {e, -q, q}}},
      {{0, 1, 0}, {{e, q, q}, {e, q, -q}, {-e, p, -p}, {-e, p, p}}},
      {{1, 0, 0}, {{e, q, -q}, {e, q, q}, {e, -q, q}, {e, -q, -q}}},
      {{-1, 0, 0}, {{-e, p, p}, {-e, p, -p}, {-e, -p, -p}, {-e, -p, p}}},
      {{0, 0, -1}, {{-e, p, -p}, {e, q, -q}, {e, -q, -q}, {-e, -p, -p}}},
      {{0, -1, 0}, {{-e, -p, p}, {-e, -p, -p}, {e, -q, -q}, {e, -q, q}}},
  };
  glBegin(GL_QUADS);
  for (const Face& face : faces) emitTexturedFace(face);
  glEnd();
}

void drawCardBox(float width, float height, float depth, const TextureRect& rect, Texture* front,
                 Texture* back) {
  const float x = width / 2, y = height / 2, z = depth / 2;
  drawBoxPictureFace(BoxFace::Front, width, height, depth, rect, front);

  // Top, right and left carry on with the front's last coordinate; the bottom has its own.
  glBegin(GL_QUADS);
  emitPlainFace({{0, 1, 0}, {{x, y, z}, {x, y, -z}, {-x, y, -z}, {-x, y, z}}});
  emitPlainFace({{1, 0, 0}, {{x, y, -z}, {x, y, z}, {x, -y, z}, {x, -y, -z}}});
  emitPlainFace({{-1, 0, 0}, {{-x, y, z}, {-x, y, -z}, {-x, -y, -z}, {-x, -y, z}}});
  emitTexturedFace({{0, -1, 0}, {{-x, -y, z}, {-x, -y, -z}, {x, -y, -z}, {x, -y, z}}});
  glEnd();

  drawBoxPictureFace(BoxFace::Back, width, height, depth, rect, back);

  unbindTexture();
}

void drawBoxPictureFace(BoxFace face, float width, float height, float depth,
                        const TextureRect& rect, Texture* texture) {
  const float x = width / 2, y = height / 2, z = depth / 2;
  const float s0 = rect.s0, t0 = rect.t0, s1 = rect.s0 + rect.ds, t1 = rect.t0 + rect.dt;
  if (texture) texture->bindTexture(0);
  glBegin(GL_QUADS);
  if (face == BoxFace::Front) {
    glNormal3f(0, 0, 1);
    glTexCoord2f(s0, t0);
    glVertex3f(x, y, z);
    glTexCoord2f(s1, t0);
    glVertex3f(-x, y, z);
    glTexCoord2f(s1, t1);
    glVertex3f(-x, -y, z);
    glTexCoord2f(s0, t1);
    glVertex3f(x, -y, z);
  } else {
    glNormal3f(0, 0, -1);
    glTexCoord2f(s1, t0);
    glVertex3f(x, y, -z);
    glTexCoord2f(s1, t1);
    glVertex3f(x, -y, -z);
    glTexCoord2f(s0, t1);
    glVertex3f(-x, -y, -z);
    glTexCoord2f(s0, t0);
    glVertex3f(-x, y, -z);
  }
  glEnd();
}

void drawBoxRing(float radius, int32_t count, float innerSide, float outerSide, float length) {
  const float step = count > 0 ? 360.0f / static_cast<float>(count) : 0.0f;
  glPushMatrix();
  for (int32_t k = 0; k < count; ++k) {
    glRotatef(step, 0, 0, 1);
    glPushMatrix();
    glTranslatef(radius, 0, 0);
    drawTaperedBox(innerSide, outerSide, length);
    glPopMatrix();
  }
  glPopMatrix();
}

void drawCardCarousel(float radius, int32_t count, float width, float height, float depth,
                      Texture* front, Texture* back) {
  const TextureRect wholePicture{0, 0, 1, 1};
  const float step = count > 0 ? 360.0f / static_cast<float>(count) : 0.0f;
  glRotatef(180, 0, 0, 1);
  glPushMatrix();
  for (int32_t k = 0; k < count; ++k) {
    glRotatef(step, 0, 1, 0);
    glPushMatrix();
    glTranslatef(0, 0, radius);
    drawCardBox(width, height, depth, wholePicture, front, back);
    glPopMatrix();
  }
  glPopMatrix();
}
