// The procedural meshes, checked through what they send down the pipeline (feedback mode).
#include "geometry/Meshes.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <array>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

namespace {
class Meshes : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    glDisable(GL_CULL_FACE);  // count every polygon, whichever way it faces
    glDisable(GL_LIGHTING);
  }
};

// Distinct corner positions, compared bit for bit.
size_t distinctPositions(const Feedback& feedback) {
  std::set<std::tuple<float, float, float>> seen;
  for (const FeedbackShape& polygon : feedback.polygons)
    for (const FeedbackVertex& v : polygon) seen.insert({v.x, v.y, v.z});
  return seen.size();
}

// True when every corner lies on the half-plane through the y axis of the first corner: an
// annular step of a torus, where a tube polygon spans two ring angles.
bool liesOnOneMeridian(const FeedbackShape& polygon) {
  const FeedbackVertex& first = polygon[0];
  for (const FeedbackVertex& v : polygon) {
    const float cross = v.x * first.z - v.z * first.x;
    const float dot = v.x * first.x + v.z * first.z;
    if (std::fabs(cross) > 1.0f || dot < 0) return false;
  }
  return true;
}

// The scene-space area of a polygon (the length of its vector area).
float polygonArea(const FeedbackShape& polygon) {
  double ax = 0, ay = 0, az = 0;
  for (size_t k = 0; k < polygon.size(); ++k) {
    const FeedbackVertex& a = polygon[k];
    const FeedbackVertex& b = polygon[(k + 1) % polygon.size()];
    ax += a.y * b.z - a.z * b.y;
    ay += a.z * b.x - a.x * b.z;
    az += a.x * b.y - a.y * b.x;
  }
  return static_cast<float>(std::sqrt(ax * ax + ay * ay + az * az) / 2);
}

// The ring angles a polygon's corners stand at, in milliradians from 0 to 2 pi.
std::set<long> ringAngles(const FeedbackShape& polygon) {
  std::set<long> angles;
  for (const FeedbackVertex& v : polygon) {
    double angle = std::atan2(v.x, v.z);
    if (angle < 0) angle += 2 * std::acos(-1.0);
    angles.insert(std::lround(angle * 1000));
  }
  return angles;
}

// Feedback reports each strip as a run of triangles. Runs of tube polygons are told apart by
// the ring angles they span, runs of annuli by the tube polygons between them.
struct Runs {
  std::vector<std::vector<FeedbackShape>> tube;
  std::vector<std::vector<FeedbackShape>> annuli;
};

Runs splitIntoRuns(const Feedback& feedback) {
  Runs runs;
  std::set<long> lastSpan;
  bool lastWasAnnulus = false;
  for (const FeedbackShape& polygon : feedback.polygons) {
    if (liesOnOneMeridian(polygon)) {
      if (!lastWasAnnulus) runs.annuli.emplace_back();
      runs.annuli.back().push_back(polygon);
      lastWasAnnulus = true;
      continue;
    }
    const std::set<long> span = ringAngles(polygon);
    if (lastWasAnnulus || runs.tube.empty() || span != lastSpan) runs.tube.emplace_back();
    runs.tube.back().push_back(polygon);
    lastSpan = span;
    lastWasAnnulus = false;
  }
  return runs;
}

float totalArea(const std::vector<FeedbackShape>& polygons) {
  float area = 0;
  for (const FeedbackShape& p : polygons) area += polygonArea(p);
  return area;
}

std::array<float, 4> currentValue(GLenum which) {
  std::array<float, 4> v{};
  glGetFloatv(which, v.data());
  return v;
}
}  // namespace

TEST_F(Meshes, CirclePointsRunOnceAround) {
  Point3 points[31];
  makeCirclePoints(points, 31, 50, 1, 0, 1);
  EXPECT_FLOAT_EQ(points[0].x, 50);
  EXPECT_FLOAT_EQ(points[0].z, 0);
  EXPECT_NEAR(points[1].x, 48.907f, 1e-3f);
  EXPECT_NEAR(points[1].z, 10.396f, 1e-3f);
  EXPECT_NEAR(points[30].x, 50, 1e-3f);  // the last closes on the first
  EXPECT_NEAR(points[30].z, 0, 1e-3f);
  for (const Point3& p : points) {
    EXPECT_EQ(p.y, 0);
    EXPECT_NEAR(std::hypot(p.x, p.z), 50, 1e-3f);
  }

  // With fy = 1 the circle stands in the x-y plane, the cosine on y.
  makeCirclePoints(points, 31, 50, 0, 1, 0);
  EXPECT_EQ(points[1].x, 0);
  EXPECT_NEAR(points[1].y, 48.907f, 1e-3f);
  EXPECT_EQ(points[1].z, 0);
}

TEST_F(Meshes, CirclePointsWriteNothingForBadArguments) {
  const Point3 untouched{7, 8, 9};
  for (int32_t count : {1, 0, -4}) {
    Point3 point = untouched;
    makeCirclePoints(&point, count, 50, 1, 0, 1);  // fewer than two points have no step
    EXPECT_EQ(point.x, 7) << count;
    EXPECT_EQ(point.z, 9) << count;
  }
  Point3 points[5] = {untouched, untouched, untouched, untouched, untouched};
  makeCirclePoints(points, 5, 50, 0, 0, 1);  // neither x nor y carries the cosine
  for (const Point3& p : points) EXPECT_EQ(p.x, 7);
}

TEST_F(Meshes, NormalizeKeepsDirection) {
  float v[3] = {3, 4, 0}, unit[3];
  normalize(v, unit);
  EXPECT_FLOAT_EQ(unit[0], 0.6f);
  EXPECT_FLOAT_EQ(unit[1], 0.8f);
  EXPECT_EQ(unit[2], 0);

  float same[3] = {0, 0, -2};
  normalize(same, same);
  EXPECT_EQ(same[2], -1);

  float zero[3] = {0, 0, 0};
  normalize(zero, zero);  // no division by zero: it stays zero
  for (float c : zero) EXPECT_EQ(c, 0);
}

TEST_F(Meshes, TorusStripsAndVertices) {
  struct Case {
    float R, r;
    int32_t ring, tube, vPeriod, uDivisor;
    int strips, segments;  // after the counts grow by their remainders
  };
  const Case cases[] = {
      {500, 20, 60, 20, 3, 2, 60, 20},   // the pipe: multiples stay as they are
      {500, 60, 50, 32, 3, 4, 52, 32},   // the tunnel: 50 by 3 grows by 2, not to 51
      {300, 60, 30, 20, 5, 20, 30, 20},  // the backdrop
      {200, 30, 10, 10, 4, 3, 12, 11},   // both counts grow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ring " << c.ring << " tube " << c.tube);
    const Feedback feedback =
        captureFeedback([&] { drawTorus(c.R, c.r, c.ring, c.tube, c.vPeriod, c.uDivisor); });
    ASSERT_FALSE(feedback.overflowed);
    const Runs runs = splitIntoRuns(feedback);
    EXPECT_TRUE(runs.annuli.empty());
    ASSERT_EQ(runs.tube.size(), static_cast<size_t>(c.strips));
    for (const auto& strip : runs.tube)  // (segments + 1) pairs: 2 triangles per segment
      EXPECT_EQ(strip.size(), static_cast<size_t>(2 * c.segments));
    EXPECT_EQ(vertexCount(feedback.polygons), static_cast<size_t>(6 * c.strips * c.segments));

    // Closing angles are exactly 0: the seams share their corners bit for bit, so the torus
    // has one corner per grid cell and no more.
    EXPECT_EQ(distinctPositions(feedback), static_cast<size_t>(c.strips * c.segments));

    float sMax = 0, tMin = 1, tMax = 0;
    for (const FeedbackShape& polygon : feedback.polygons)
      for (const FeedbackVertex& v : polygon) {
        sMax = std::fmax(sMax, v.s);
        tMin = std::fmin(tMin, v.t);
        tMax = std::fmax(tMax, v.t);
      }
    EXPECT_NEAR(sMax, static_cast<float>(c.segments) / c.uDivisor, 1e-4f);
    EXPECT_FLOAT_EQ(tMin, 0);
    EXPECT_FLOAT_EQ(tMax, 1);

    // The last vertex sits on the top of the tube: its normal is straight up.
    drawTorus(c.R, c.r, c.ring, c.tube, c.vPeriod, c.uDivisor);
    const auto normal = currentValue(GL_CURRENT_NORMAL);
    EXPECT_NEAR(normal[1], 1, 1e-6f);
    EXPECT_NEAR(currentValue(GL_CURRENT_TEXTURE_COORDS)[0],
                static_cast<float>(c.segments) / c.uDivisor, 1e-4f);
  }
}

TEST_F(Meshes, BandedTorusStripsAndAnnuli) {
  const Feedback feedback = captureFeedback([] { drawBandedTorus(50, 4, 6, 50, 20, 5, 3); });
  ASSERT_FALSE(feedback.overflowed);
  const Runs runs = splitIntoRuns(feedback);
  ASSERT_EQ(runs.tube.size(), 51u);
  for (const auto& strip : runs.tube) EXPECT_EQ(strip.size(), 40u);  // 21 pairs, 42 vertices
  ASSERT_EQ(runs.annuli.size(), 21u);
  for (const auto& annulus : runs.annuli) EXPECT_EQ(annulus.size(), 42u);  // 22 pairs
  EXPECT_EQ(totalArea(runs.annuli[0]), 0);  // strip 0's step joins r to r
  for (size_t k = 1; k < runs.annuli.size(); ++k)
    EXPECT_GT(totalArea(runs.annuli[k]), 100) << "annulus " << k;

  // Ten collars: the thick strips reach 50 + 4 + 6 from the axis, the plain ones 54.
  int thickStrips = 0;
  for (const auto& strip : runs.tube) {
    float reach = 0;
    for (const FeedbackShape& p : strip)
      for (const FeedbackVertex& v : p) reach = std::fmax(reach, std::hypot(v.x, v.z));
    if (std::fabs(reach - 60) < 0.01f)
      ++thickStrips;
    else
      EXPECT_NEAR(reach, 54, 0.01f);
  }
  EXPECT_EQ(thickStrips, 20);

  drawBandedTorus(50, 4, 6, 50, 20, 5, 3);
  EXPECT_NEAR(currentValue(GL_CURRENT_NORMAL)[1], 1, 1e-6f);

  // The spiral scene's big ring, emitted twice a frame: the same counts.
  const Feedback big = captureFeedback([] {
    glScalef(0.5f, 0.5f, 0.5f);
    drawBandedTorus(700, 50, 50, 50, 20, 5, 3);
  });
  const Runs bigRuns = splitIntoRuns(big);
  EXPECT_EQ(bigRuns.tube.size(), 51u);
  EXPECT_EQ(bigRuns.annuli.size(), 21u);
  EXPECT_EQ(vertexCount(big.polygons), 3u * (51 * 40 + 21 * 42));
}

TEST_F(Meshes, ToriWithoutPeriodOrDivisorDrawNothing) {
  const Feedback feedback = captureFeedback([] {
    drawTorus(500, 60, 50, 32, 0, 4);
    drawTorus(500, 60, 50, 32, 3, 0);
    drawTorus(500, 60, 50, 32, -3, 4);
    drawTorus(500, 60, 0, 32, 3, 4);
    drawBandedTorus(50, 4, 6, 50, 20, 0, 3);
    drawBandedTorus(50, 4, 6, 50, 0, 5, 3);
  });
  EXPECT_FALSE(feedback.overflowed);
  EXPECT_TRUE(feedback.polygons.empty());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

