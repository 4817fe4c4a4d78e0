#pragma once

// The GLSL of the glow's shader path (render/GlowShaders.h), each program's job described
// beside its source. A stage is its first lines and then its body: with the fixed pipeline the
// version line (1.10 or 1.30) and the names of the older language; without one (a core-profile
// or ES context) "#version 330 core" or "#version 300 es" and the inputs and output declared.

// With the fixed pipeline: the versions, the vertex stage of every program for each, and how
// the overlay and the colour-writing blur name what they read and write.
extern const char* const glowVersion110;
extern const char* const glowVersion130;
extern const char* const glowVertexSource110;
extern const char* const glowVertexSource130;
extern const char* const glowOverlayNames110;
extern const char* const glowBlurNames130;
// Without it: the versions (ES with its precisions), the one vertex stage, and the colour
// programs' declarations.
extern const char* const glowVersion330;
extern const char* const glowVersion300es;
extern const char* const glowVertexSource3;
extern const char* const glowColourNames3;

// The blur, one pass per pixel.
extern const char* const glowBlurSource;
// `count` additive overlays in one.
extern const char* const glowOverlaySource;
// The frame copy packed four pixels to a texel, and the blur's passes on such pictures
// (compiled with the defines render/GlowPrograms.cpp gives).
extern const char* const glowPackSource;
extern const char* const glowPackedBlurSource;
// The packed picture drawn back into the copy (only without the fixed pipeline; the colour
// programs' names).
extern const char* const glowUnpackSource;
