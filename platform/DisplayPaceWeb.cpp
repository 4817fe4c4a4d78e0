// A browser: the loop sleeps until the page's next animation frame.
#include "platform/DisplayPace.h"

#include <emscripten.h>

namespace {
EM_ASYNC_JS(void, nextAnimationFrame, (), {
  await new Promise(function(resolve) { requestAnimationFrame(resolve); });
});
}  // namespace

void awaitNextRefresh() { nextAnimationFrame(); }
