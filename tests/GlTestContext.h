#pragma once
#include "platform/Display.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

// One real GL context for the whole test program: Mesa's software renderer through SDL's
// offscreen driver, drawing into the show's 800 x 600 framebuffer with the 60-degree
// perspective set, as the show's window has it.
Screen& glTestScreen();

// Colour at (x, y) of the 800 x 600 screen, y counted from the top row.
std::array<int, 3> pixelAt(int x, int y);
// GL state read back for comparisons.
std::array<float, 4> currentColour();
std::array<float, 16> matrix(unsigned which);  // a GL_*_MATRIX query
// The projection matrix of the show's 60-degree perspective.
std::array<float, 16> perspective60();
// Writes the current picture to the test output folder so it can be looked at.
std::string saveTestPicture(const std::string& name);

// Fixture: makes sure the context exists and puts every bit of GL state, both matrix stacks'
// top and the viewport back after the test, so tests do not leak state into each other.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
