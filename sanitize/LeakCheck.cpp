// Linked into the sanitized programs only (KELVARN_SANITIZE). LeakSanitizer looks for leaks when
// a program exits; two things make its report hold our own leaks and nothing that merely looks
// like one.
//
// Nothing is ever unloaded. By exit, SDL and the GL loaders have closed the driver modules they
// opened (eglTerminate closes the Mesa driver, SDL closes libEGL and libGL), and an allocation
// made inside a closed module shows up as an "<unknown module>" frame that no suppression can
// name. Defined in the executable, this dlclose takes the place of libc's for every library in
// the process, so every leak keeps the name of the module that made it and tests/lsan.supp can
// excuse the third-party ones by name.
//
// fontconfig's start-up leaks a few hundred bytes of the system configuration it parses.
// Excusing the whole library would also excuse the patterns we create and must destroy, so only
// that start-up runs untracked, once, before main.
#include <fontconfig/fontconfig.h>
#include <sanitizer/lsan_interface.h>

extern "C" int dlclose(void*) { return 0; }

namespace {
const bool fontconfigStarted = [] {
  __lsan_disable();
  bool started = FcInit() == FcTrue;
  __lsan_enable();
  return started;
}();
}  // namespace
