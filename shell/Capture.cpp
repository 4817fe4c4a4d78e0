#include "shell/Capture.h"

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ProcessTime.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/Show.h"
#include "shell/Timeline.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int exitCaptureFailed = 3;
constexpr int exitInterrupted = 130;

bool endsWith(const std::string& s, const char* tail) {
  size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Checks that the output can be written before any frame is rendered.
bool outputWritable(const std::string& file, bool folder, std::string* why) {
  if (folder) {
    std::string dir = file;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return makeWritableFolder(dir, why);
  }
  if (!endsWith(file, ".mp4") && !endsWith(file, ".mkv")) {
    *why = "the capture file must end in .mp4 or .mkv, or name a folder (ending in /)";
    return false;
  }
  return canWriteFile(file, why);
}

std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const Options& o, bool folder,
                                         double seconds, bool withMusic, const Screen& screen) {
  char rate[32], from[32], length[32], size[32];
  std::snprintf(size, sizeof size, "%dx%d", screen.frameWidth, screen.frameHeight);
  std::snprintf(rate, sizeof rate, "%u/%u", o.fpsNum, o.fpsDen);
  std::snprintf(from, sizeof from, "%.3f", o.fromMs / 1000.0);
  std::snprintf(length, sizeof length, "%.3f", seconds);
  std::vector<std::string> a = {ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                "-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size", size,
                                "-framerate", rate, "-i", "pipe:0"};
  if (withMusic) a.insert(a.end(), {"-ss", from, "-t", length, "-i", showMusicPath});
  std::string dir = o.captureFile;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (folder) {
    a.insert(a.end(), {"-map", "0:v", "-vf", "vflip", dir + "/frame%06d.png"});
    if (withMusic) a.insert(a.end(), {"-map", "1:a", "-c:a", "pcm_s16le", dir + "/audio.wav"});
    return a;
  }
  a.insert(a.end(), {"-map", "0:v", "-vf", "vflip", "-c:v", "libx264", "-preset", "ultrafast",
                     "-tune", "animation", "-crf", "18", "-pix_fmt", "yuv420p"});
  // -shortest: a capture stopped early keeps its sound as long as its picture.
  if (withMusic) a.insert(a.end(), {"-map", "1:a", "-c:a", "aac", "-b:a", "192k", "-shortest"});
  if (endsWith(o.captureFile, ".mp4")) a.insert(a.end(), {"-movflags", "+faststart"});
  a.push_back(o.captureFile);
  return a;
}

void showProgress(uint32_t done, uint32_t total, double startedMs, bool final) {
  double elapsed = (steadyMs() - startedMs) / 1000.0;
  double fps = elapsed > 0 ? done / elapsed : 0.0;
  double left = fps > 0 ? (total - done) / fps : 0.0;
  int filled = total ? static_cast<int>(30.0 * done / total) : 30;
  char bar[31];
  for (int i = 0; i < 30; ++i) bar[i] = i < filled ? '#' : '-';
  bar[30] = '\0';
  std::fprintf(stderr, "\r[%s] %u/%u frames  %.1f fps  %d:%02d left ", bar, done, total, fps,
               static_cast<int>(left) / 60, static_cast<int>(left) % 60);
  if (final) std::fputc('\n', stderr);
}
}  // namespace

uint32_t captureFrameTime(uint32_t fromMs, uint32_t k, uint32_t num, uint32_t den) {
  return fromMs + static_cast<uint32_t>(std::llround(1000.0 * k * den / num));
}

uint32_t captureFrameCount(uint32_t fromMs, uint32_t toMs, uint32_t num, uint32_t den) {
  if (toMs < fromMs) return 0;
  uint32_t k = static_cast<uint32_t>(std::floor((toMs - fromMs) * static_cast<double>(num) /
                                                (1000.0 * den)));
  while (captureFrameTime(fromMs, k + 1, num, den) <= toMs) ++k;
  while (k > 0 && captureFrameTime(fromMs, k, num, den) > toMs) --k;
  return k + 1;
}

int captureShow(const Options& o) {
  std::string ffmpeg = findProgram("ffmpeg");
  if (ffmpeg.empty()) {
    std::fprintf(stderr, "kelvarn: --capture needs the ffmpeg program, which is not on PATH\n");
    return exitUsage;
  }
  bool folder = endsWith(o.captureFile, "/") || isFolder(o.captureFile);
  std::string why;
  if (!outputWritable(o.captureFile, folder, &why)) {
    std::fprintf(stderr, "kelvarn: %s\n", why.c_str());
    return exitUsage;
  }
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, o, &failed)) return failed;

  uint32_t total = captureFrameCount(o.fromMs, o.toMs, o.fpsNum, o.fpsDen);
  double seconds = static_cast<double>(total) * o.fpsDen / o.fpsNum;
  bool withMusic = pathExists(showMusicPath);
  if (!withMusic) std::fprintf(stderr, "kelvarn: %s is missing; the capture has no sound\n", showMusicPath);
  ChildProcess encoder;
  if (!startPipedProcess(ffmpegArguments(ffmpeg, o, folder, seconds, withMusic, window.screen), encoder)) {
    std::fprintf(stderr, "kelvarn: cannot start %s\n", ffmpeg.c_str());
    closeShow(window);
    return exitCaptureFailed;
  }
  catchStopRequests();

  // Zeros: the bars around the picture stay black, as only the picture is read into it.
  std::vector<unsigned char> frame(size_t(window.screen.frameWidth) * window.screen.frameHeight * 4);
  double started = steadyMs(), lastShown = 0.0;
  uint32_t done = 0;
  bool pipeBroken = false;
  for (uint32_t k = 0; k < total && !stopRequested(); ++k) {
    uint32_t elapsed = captureFrameTime(o.fromMs, k, o.fpsNum, o.fpsDen);
    if (k == 0) {
      catchUpTo(elapsed, o.stepMs);
    } else {
      setVirtualClock(elapsed);
      frameCallback();
    }
    readScreenPixelsBgra(window.screen, frame.data());  // ffmpeg turns it upright
    if (!writeToProcess(encoder, frame.data(), frame.size())) {
      pipeBroken = true;
      break;
    }
    ++done;
    if (steadyMs() - lastShown > 250.0) {
      showProgress(done, total, started, false);
      lastShown = steadyMs();
    }
  }
  showProgress(done, total, started, true);
  ChildEnd end = finishProcess(encoder);
  closeShow(window);
  bool encoderOk = end.exited && end.status == 0;
  if (pipeBroken || !encoderOk) {
    std::fprintf(stderr, "kelvarn: ffmpeg %s after %u of %u frames; %s is incomplete\n",
                 end.killed ? "was killed" : "failed", done, total, o.captureFile.c_str());
    return exitCaptureFailed;
  }
  if (stopRequested()) {
    std::fprintf(stderr, "kelvarn: stopped after %u of %u frames; %s holds them\n", done, total,
                 o.captureFile.c_str());
    return exitInterrupted;
  }
  return 0;
}
