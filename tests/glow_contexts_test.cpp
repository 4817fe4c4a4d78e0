#include "platform/GlProcs.h"
#include "render/GlowPrograms.h"
#include "tests/GlTestContext.h"

#include <SDL.h>

// In a core-profile and an ES 3.0 context, as the shader renderer draws in, every glow program
// (the packed blur's and the unpacking included) builds in that context's language, without a
// GL error; back in the test program's own context they are built again in its language.
TEST(GlowContexts, ProgramsBuildInCoreAndEsContexts) {
  glTestScreen();
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  SDL_GLContext compatibility = SDL_GL_GetCurrentContext();
  for (bool es : {false, true}) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                        es ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 3);
    SDL_Window* other = SDL_CreateWindow("", 0, 0, 8, 8, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = other ? SDL_GL_CreateContext(other) : nullptr;
    ASSERT_NE(context, nullptr) << SDL_GetError();
    const GlProcs* gl = nullptr;
    const GlowPrograms* p = currentGlowPrograms(&gl);
    ASSERT_NE(p, nullptr) << (es ? "ES" : "core");
    EXPECT_TRUE(gl->shaderOnly);
    EXPECT_EQ(gl->es, es);
    EXPECT_TRUE(p->packedReady && p->unpack.name != 0) << (es ? "ES" : "core");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << (es ? "ES" : "core");
    SDL_GL_MakeCurrent(window, compatibility);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(other);
  }
  SDL_GL_ResetAttributes();  // the test program's window is made; none is made after
  const GlProcs* gl = nullptr;
  const GlowPrograms* p = currentGlowPrograms(&gl);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(gl->shaderOnly);
  EXPECT_EQ(p->unpack.name, 0u);
}
