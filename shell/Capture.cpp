#include "shell/Capture.h"

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ProcessTime.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/FrameYuv.h"
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

// The H.264 capture's matrix: BT.709 for HD frames, BT.601 below, as players guess for video
// that carries no tags (1280 columns or more than 576 lines count as HD). The show's colours are
// sRGB, whose primaries are BT.709's, whichever matrix carries them.
bool hdFrame(const Screen& s) { return s.frameWidth >= 1280 || s.frameHeight > 576; }

std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const Options& o, bool folder,
                                         double seconds, bool withMusic, const Screen& screen) {
  char rate[32], from[32], length[32], size[32];
  std::snprintf(size, sizeof size, "%dx%d", screen.frameWidth, screen.frameHeight);
  std::snprintf(rate, sizeof rate, "%u/%u", o.fpsNum, o.fpsDen);
  std::snprintf(from, sizeof from, "%.3f", o.fromMs / 1000.0);
  std::snprintf(length, sizeof length, "%.3f", seconds);
  // H.264 gets the frame already turned upright into YUV (FrameYuv); the rest the GL's BGRA.
  bool h264 = !folder && !o.lossless;
  std::vector<std::string> a = {ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                "-f", "rawvideo", "-pix_fmt", h264 ? "yuv420p" : "bgr0",
                                "-video_size", size,
                                "-framerate", rate, "-i", "pipe:0"};
  if (withMusic) a.insert(a.end(), {"-ss", from, "-t", length, "-i", showMusicPath});
  std::string dir = o.captureFile;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (folder) {
    a.insert(a.end(), {"-map", "0:v", "-vf", "vflip", dir + "/frame%06d.png"});
    if (withMusic) a.insert(a.end(), {"-map", "1:a", "-c:a", "pcm_s16le", dir + "/audio.wav"});
    return a;
  }
  if (o.lossless) {
    // Archival: FFV1 stores the frame's own RGB bytes, each frame on its own with checksummed
    // slices, and FLAC the decoded music, sample for sample.
    a.insert(a.end(), {"-map", "0:v", "-vf", "vflip", "-c:v", "ffv1", "-level", "3", "-g", "1",
                       "-slices", "16", "-slicecrc", "1", "-pix_fmt", "bgr0", "-colorspace", "rgb",
                       "-color_primaries", "bt709", "-color_trc", "iec61966-2-1",
                       "-color_range", "pc"});
    if (withMusic) a.insert(a.end(), {"-map", "1:a", "-c:a", "flac", "-shortest"});
    a.push_back(o.captureFile);
    return a;
  }
  // The container and the H.264 stream both declare how the frame was turned into YUV, so that
  // every player turns it back the same way. medium at CRF 18: less than half the size of
  // ultrafast's at a closer picture, for about nine times the encoder's time (docs/capture.md).
  a.insert(a.end(), {"-map", "0:v", "-c:v", "libx264", "-preset", "medium", "-tune", "animation",
                     "-crf", "18", "-colorspace", hdFrame(screen) ? "bt709" : "smpte170m",
                     "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
                     "-chroma_sample_location", "center"});
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
  if (folder && o.lossless) {
    std::fprintf(stderr, "kelvarn: --lossless writes a .mkv file, and %s is a folder\n",
                 o.captureFile.c_str());
    return exitUsage;
  }
  std::string why;
  if (!outputWritable(o.captureFile, folder, &why)) {
    std::fprintf(stderr, "kelvarn: %s\n", why.c_str());
    return exitUsage;
  }
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, o, &failed)) return failed;

  bool h264 = !folder && !o.lossless;
  if (h264 && (window.screen.frameWidth % 2 || window.screen.frameHeight % 2)) {
    std::fprintf(stderr, "kelvarn: H.264 needs an even frame size, not %dx%d (--lossless or a "
                 "folder of PNGs takes any)\n", window.screen.frameWidth, window.screen.frameHeight);
    closeShow(window);
    return exitUsage;
  }
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
  FrameYuv yuv;
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
    readScreenPixelsBgra(window.screen, frame.data());  // upside down: turned by FrameYuv or ffmpeg
    if (h264) convertFrameYuv(frame.data(), window.screen.frameWidth, window.screen.frameHeight,
                              hdFrame(window.screen) ? bt709Matrix : bt601Matrix, yuv);
    const std::vector<unsigned char>& sent = h264 ? yuv.planes : frame;
    if (!writeToProcess(encoder, sent.data(), sent.size())) {
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
