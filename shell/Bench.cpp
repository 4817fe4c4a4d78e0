#include "shell/Bench.h"

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Gl.h"
#include "platform/GlProcs.h"
#include "platform/ProcessTime.h"
#include "render/GlowShaders.h"
#include "shell/BenchPeer.h"
#include "shell/DemoWindow.h"
#include "shell/Show.h"
#include "shell/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {
const char* const slotNames[sceneCount] = {
    "opening", "Shift 1", "tunnel", "Shift 2", "credits",
    "Shift 3", "greetings", "Shift 4", "spiral columns", "end scroller"};

double ratio(double slower, double faster) { return faster > 0 ? slower / faster : 0.0; }

void printTable(const char* title, const FrameStats* stats, uint32_t n) {
  if (title) std::printf("%s\n", title);
  std::printf("slot  scene           frames   mean ms  median ms   p95 ms      fps\n");
  for (int i = 0; i < sceneCount; ++i)
    std::printf("%4d  %-14s %7u %9.2f %10.2f %8.2f %8.1f\n", i, slotNames[i], n, stats[i].mean,
                stats[i].median, stats[i].p95, stats[i].fps);
}

void writeJsonSlots(FILE* f, const char* name, const FrameStats* stats) {
  std::fprintf(f, "  \"%s\": [\n", name);
  for (int i = 0; i < sceneCount; ++i)
    std::fprintf(f,
                 "    {\"slot\": %d, \"scene\": \"%s\", \"meanMs\": %.3f, \"medianMs\": %.3f, "
                 "\"p95Ms\": %.3f, \"fps\": %.2f}%s\n",
                 i, slotNames[i], stats[i].mean, stats[i].median, stats[i].p95, stats[i].fps,
                 i + 1 < sceneCount ? "," : "");
  std::fprintf(f, "  ],\n");
}

std::string jsonText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) escaped += c;
  }
  return escaped;
}
}  // namespace

double timedBenchFrame(uint32_t elapsed) {
  setVirtualClock(elapsed);
  double t0 = steadyMs();
  frameCallback();
  glFinish();
  return steadyMs() - t0;
}

const char* benchRendererName() {
  switch (chosenGlRenderer()) {
    case GlRenderer::Core: return "core";
    case GlRenderer::Es: return "es";
    case GlRenderer::Reference: break;
  }
  return "gl1";
}

const char* benchGlowPath(bool compare) {
  if (!glowShadersAvailable()) return compare ? "GL 1.1 twice" : "GL 1.1";
  return compare ? "shaders and GL 1.1 in turn" : "shaders";
}

FrameStats frameStats(std::vector<double> ms) {
  FrameStats s;
  if (ms.empty()) return s;
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double v : ms) sum += v;
  s.mean = sum / ms.size();
  size_t n = ms.size();
  s.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2.0;
  size_t rank = static_cast<size_t>(std::ceil(0.95 * n));  // nearest rank
  s.p95 = ms[std::min(n, std::max<size_t>(rank, 1)) - 1];
  s.fps = s.mean > 0 ? 1000.0 / s.mean : 0.0;
  return s;
}

int benchShow(const Options& o) {
  if (startedAsBenchPeer()) return serveBenchPeer(o);
  DemoWindow window;
  int failed = 0;
  double prepStart = steadyMs();
  if (!openOffscreenShow(window, o, &failed)) return failed;
  glFinish();
  double prepMs = steadyMs() - prepStart;  // window, GL context and every scene's preparation
  resetFrameClock();
  timedBenchFrame(0);
  double firstFrameMs = msSinceProcessStart();
  const Screen& screen = window.screen;

  // With --compare every moment is drawn on both glow paths, with --compare-renderer by this
  // process and the other renderer's, the order swapped from frame to frame, so the two tables
  // share whatever the machine was doing at the time.
  const bool compare = o.benchCompare;
  BenchPeer peer;
  const bool againstPeer = !o.benchCompareRenderer.empty();
  if (againstPeer && !startBenchPeer(o, screen.frameWidth, screen.frameHeight, peer)) {
    closeShow(window);
    return exitNoWindow;
  }
  FrameStats stats[sceneCount], otherStats[sceneCount];
  uint32_t n = o.benchFrames;
  bool peerLost = false;
  for (int i = 0; i < sceneCount && !peerLost; ++i) {
    uint32_t first = timeline.table.start[i] + 1, last = timeline.table.start[i + 1];
    std::vector<double> times, otherTimes;
    times.reserve(n);
    otherTimes.reserve(n);
    for (uint32_t j = 0; j < n && !peerLost; ++j) {
      const uint32_t at =
          first + static_cast<uint32_t>(static_cast<uint64_t>(last - first) * j / (n - 1));
      if (!compare && !againstPeer) {
        times.push_back(timedBenchFrame(at));
        continue;
      }
      for (int k = 0; k < 2; ++k) {
        const bool other = (k == 0) == (j % 2 == 1);
        double ms = 0;
        if (againstPeer) {
          ms = other ? peerFrame(peer, at) : timedBenchFrame(at);
          peerLost = peerLost || ms < 0;
        } else {
          forceFixedFunction(other);
          ms = timedBenchFrame(at);
        }
        (other ? otherTimes : times).push_back(ms);
      }
      forceFixedFunction(o.fixedFunction);
    }
    stats[i] = frameStats(times);
    otherStats[i] = frameStats(otherTimes);
  }
  PeerReport report;
  if (againstPeer && (peerLost || !finishBenchPeer(peer, &report))) {
    closeShow(window);
    return exitNoWindow;
  }
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  std::string gl = renderer ? renderer : "unknown";
  const char* glowPath = benchGlowPath(compare);
  const std::string self = benchRendererName();
  const std::string first = compare ? "shaders" : self;
  const std::string second = compare ? "--fixed-function" : o.benchCompareRenderer;

  if (!compare && !againstPeer) printTable(nullptr, stats, n);
  if (compare) {
    printTable("shaders", stats, n);
    printTable("--fixed-function", otherStats, n);
  } else if (againstPeer) {
    printTable((first + " (this process)").c_str(), stats, n);
    printTable((second + " (second process)").c_str(), otherStats, n);
  }
  if (compare || againstPeer) {
    if (compare)
      std::printf("slot  scene           shaders  --fixed-function   ratio   (medians, ms)\n");
    else
      std::printf("slot  scene          %8s %12s        ratio   (medians, ms)\n", first.c_str(),
                  second.c_str());
    double sum = 0, otherSum = 0;
    for (int i = 0; i < sceneCount; ++i) {
      sum += stats[i].median;
      otherSum += otherStats[i].median;
      std::printf("%4d  %-14s %8.2f %12.2f %12.2f\n", i, slotNames[i], stats[i].median,
                  otherStats[i].median, ratio(otherStats[i].median, stats[i].median));
    }
    std::printf("      sum of medians %7.2f %12.2f %12.2f\n", sum, otherSum, ratio(otherSum, sum));
    if (againstPeer) std::printf("ratio: %s / %s\n", second.c_str(), first.c_str());
  }
  std::printf("start-up preparation: %.0f ms\n", prepMs);
  std::printf("process start to first frame: %.0f ms\n", firstFrameMs);
  std::printf("GL renderer: %s\n", gl.c_str());
  std::printf("glow path: %s\n", glowPath);
  if (againstPeer) {
    std::printf("%s (second process): start-up preparation %.0f ms, process start to first "
                "frame %.0f ms\n",
                report.renderer.c_str(), report.preparationMs, report.firstFrameMs);
    std::printf("%s (second process): GL renderer %s, glow path %s\n", report.renderer.c_str(),
                report.gl.c_str(), report.glowPath.c_str());
  }
  std::printf("picture: %dx%d in a %dx%d frame\n", screen.width, screen.height, screen.frameWidth,
              screen.frameHeight);

  int code = 0;
  if (!o.benchJson.empty()) {
    FILE* f = std::fopen(o.benchJson.c_str(), "w");
    if (!f) {
      std::fprintf(stderr, "kelvarn: cannot write %s\n", o.benchJson.c_str());
      code = exitNoWindow;
    } else {
      std::fprintf(f, "{\n  \"framesPerSlot\": %u,\n  \"drawnBy\": \"%s\",\n", n, self.c_str());
      writeJsonSlots(f, "slots", stats);
      if (compare) writeJsonSlots(f, "fixedFunctionSlots", otherStats);
      if (againstPeer) {
        writeJsonSlots(f, "comparedSlots", otherStats);
        std::fprintf(f,
                     "  \"comparedRenderer\": \"%s\",\n  \"comparedGlRenderer\": \"%s\",\n"
                     "  \"comparedGlowPath\": \"%s\",\n  \"comparedPreparationMs\": %.1f,\n"
                     "  \"comparedProcessStartToFirstFrameMs\": %.1f,\n",
                     jsonText(report.renderer).c_str(), jsonText(report.gl).c_str(),
                     jsonText(report.glowPath).c_str(), report.preparationMs,
                     report.firstFrameMs);
      }
      std::fprintf(f,
                   "  \"preparationMs\": %.1f,\n  \"processStartToFirstFrameMs\": %.1f,\n"
                   "  \"renderer\": \"%s\",\n  \"glowPath\": \"%s\",\n"
                   "  \"picture\": [%d, %d],\n  \"frame\": [%d, %d]\n}\n",
                   prepMs, firstFrameMs, jsonText(gl).c_str(), glowPath, screen.width,
                   screen.height, screen.frameWidth, screen.frameHeight);
      if (std::fclose(f) != 0) code = exitNoWindow;
    }
  }
  closeShow(window);
  return code;
}
