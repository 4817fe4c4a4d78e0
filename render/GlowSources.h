#pragma once

// The GLSL of the glow's shader path (render/GlowShaders.h), each program's job described
// beside its source.

// The vertex stage of every program, one for each language version.
extern const char* const glowVertexSource110;
extern const char* const glowVertexSource130;
// The blur, one pass per pixel.
extern const char* const glowBlurSource;
// `count` additive overlays in one.
extern const char* const glowOverlaySource;
// The frame copy packed four pixels to a texel, and the blur's passes on such pictures
// (compiled with the prefixes render/GlowPrograms.cpp gives).
extern const char* const glowPackSource;
extern const char* const glowPackedBlurSource;
