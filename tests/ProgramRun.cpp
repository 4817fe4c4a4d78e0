#include "tests/ProgramRun.h"

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {
std::string slurp(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

std::string testTmp(const std::string& name) {
  mkdir(KELVARN_TEST_TMP, 0755);
  return std::string(KELVARN_TEST_TMP) + "/" + name;
}

ProgramResult runKelvarn(const std::string& command) {
  std::string cmd = command;
  for (size_t at = cmd.find("KELVARN"); at != std::string::npos; at = cmd.find("KELVARN", at + 1))
    cmd.replace(at, 7, KELVARN_BINARY);
  // ctest runs tests in parallel processes: each keeps its own capture files.
  std::string tag = std::to_string(getpid());
  std::string out = testTmp("run-" + tag + ".out"), err = testTmp("run-" + tag + ".err");
  int raw = std::system((cmd + " >" + out + " 2>" + err).c_str());
  ProgramResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

std::vector<unsigned char> readPngRgb(const std::string& path, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return rgb;
}
