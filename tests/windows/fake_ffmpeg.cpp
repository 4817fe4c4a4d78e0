// A stand-in for ffmpeg.exe beside kelvarn.exe under Wine: reads its standard input to the end
// and writes what it got into the file its last argument names: the byte count, then every
// argument on a line of its own. Exit status 0.
#include <cstdio>
#include <io.h>
#include <fcntl.h>

int main(int argc, char** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  static char buffer[1 << 16];
  unsigned long long total = 0;
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) total += n;
  if (argc < 2) return 1;
  std::FILE* out = std::fopen(argv[argc - 1], "wb");  // plain \n line ends
  if (!out) return 1;
  std::fprintf(out, "%llu\n", total);
  for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  return std::fclose(out) == 0 ? 0 : 1;
}
