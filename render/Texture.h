#pragma once
#include "platform/Gl.h"
#include "render/JpgTextureImage.h"

#include <cstdint>

// A group of GL texture objects (slots) a scene owns for the whole run: filled from a JPG, or
// made as an empty render target that receives copies of the frame buffer (the glow pass).
// JPG slots are stored top row first and each row right to left, so s = 0 is the picture's
// right edge and t = 0 its top; render-target slots hold frame-buffer copies as GL lays them.
struct Texture {
  GLuint* names = nullptr;
  uint8_t count = 0;
  int32_t width = 0;  // render-target size; 0 for JPG textures
  int32_t height = 0;
  int16_t viewportWidth = 0;  // the full-screen viewport when the render target was made
  int16_t viewportHeight = 0;
  GLenum blendSrc = 0;  // the glow overlays' blend pair
  GLenum blendDst = 0;
  int8_t copySlot = 0;         // slot receiving frame-buffer copies
  uint8_t lightingWasOn = 0;   // set by the glow pass when it finds lighting on

  explicit Texture(uint8_t count = 1);  // count 0 makes one slot
  Texture(Texture&& other) noexcept;
  Texture& operator=(Texture&& other) noexcept;
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;
  ~Texture();

  // Decodes the picture and uploads it into slot 0. On failure reports "Load Error" with the
  // path as given and returns false; the slot stays empty and drawing goes on untextured.
  bool loadJpg(const char* path);
  void uploadPixels(int32_t width, int32_t height, GLenum internalFormat, GLenum format,
                    const unsigned char* pixels, uint8_t slot);
  // Binds the slot (texture 0 when out of range) and enables texturing.
  void bindTexture(uint8_t slot);
  // Starts a picture for the glow pass: clears colour and depth to (r, g, b, a), viewport :=
  // the texture's size, modelview := identity.
  void beginCapture(float r, float g, float b, float a);
  // Deletes the names (only while a GL context is current) and frees the array.
  void releaseTexture();
};

// Binds texture 0 and disables texturing: the standard way to leave texturing off.
void unbindTexture();
// An empty black render target of width x height (given at 600 lines, made at the picture's
// scale) in every slot, recording the current
// viewport; the last slot stays bound.
Texture createRenderTarget(int16_t width, int16_t height, uint8_t count);
