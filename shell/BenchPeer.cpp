#include "shell/BenchPeer.h"

#include "platform/Gl.h"
#include "platform/ProcessTime.h"
#include "shell/Bench.h"
#include "shell/DemoWindow.h"
#include "shell/Show.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// The conversation, in this machine's byte order (both ends are the same program):
//   other -> first   ready: the uint32 peerReady, once the show is prepared
//   first -> other   a uint32 moment in ms, or peerDone
//   other -> first   a double, the frame's time in ms; after peerDone the report instead:
//                    two doubles (preparation, process start to first frame) and three
//                    strings, each a uint32 length and its bytes (renderer, GL_RENDERER, glow)
namespace {
const char* const peerVariable = "KELVARN_BENCH_PEER";
constexpr uint32_t peerReady = 0x4b425031;  // "KBP1"
constexpr uint32_t peerDone = 0xffffffff;

template <typename T>
bool send(ChildProcess& child, T value) {
  return writeToProcess(child, reinterpret_cast<const unsigned char*>(&value), sizeof value);
}
template <typename T>
bool receive(ChildProcess& child, T* value) {
  return readFromProcess(child, reinterpret_cast<unsigned char*>(value), sizeof *value);
}
bool receiveText(ChildProcess& child, std::string* text) {
  uint32_t n = 0;
  if (!receive(child, &n) || n > 4096) return false;
  text->assign(n, '\0');
  return n == 0 || readFromProcess(child, reinterpret_cast<unsigned char*>(&(*text)[0]), n);
}

template <typename T>
bool answer(ParentLine& line, T value) {
  return writeToParent(line, reinterpret_cast<const unsigned char*>(&value), sizeof value);
}
bool answerText(ParentLine& line, const std::string& text) {
  return answer(line, static_cast<uint32_t>(text.size())) &&
         writeToParent(line, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// Says how the other process ended, after it broke off.
void reportEnd(BenchPeer& peer, const char* when) {
  ChildEnd end = finishProcess(peer.child);
  std::fprintf(stderr, "kelvarn: the %s renderer's process ended %s", peer.renderer.c_str(), when);
  if (end.exited) std::fprintf(stderr, " (exit status %d)", end.status);
  if (end.killed) std::fprintf(stderr, " (killed by a signal)");
  std::fprintf(stderr, "\n");
}
}  // namespace

bool startBenchPeer(const Options& o, int frameWidth, int frameHeight, BenchPeer& peer) {
  peer.renderer = o.benchCompareRenderer;
  std::string self = ownProgramPath();
  if (self.empty()) {
    std::fprintf(stderr, "kelvarn: cannot find this program's own file to start a second one\n");
    return false;
  }
  std::vector<std::string> args = {self, "--bench", "--resolution",
                                   std::to_string(frameWidth) + "x" + std::to_string(frameHeight)};
  // gl1 is the default: left off, the reference needs no --renderer to be understood.
  if (peer.renderer != "gl1") args.insert(args.end(), {"--renderer", peer.renderer});
  if (o.fixedFunction) args.push_back("--fixed-function");
  if (o.glCheck) args.push_back("--gl-check");
  if (!startAnsweringProcess(args, {std::string(peerVariable) + "=1"}, peer.child)) {
    std::fprintf(stderr, "kelvarn: cannot start %s\n", self.c_str());
    return false;
  }
  uint32_t ready = 0;
  if (receive(peer.child, &ready) && ready == peerReady) return true;
  reportEnd(peer, "before it drew");
  return false;
}

double peerFrame(BenchPeer& peer, uint32_t elapsed) {
  double ms = -1;
  if (!send(peer.child, elapsed) || !receive(peer.child, &ms)) {
    reportEnd(peer, "while drawing");
    return -1;
  }
  return ms;
}

bool finishBenchPeer(BenchPeer& peer, PeerReport* report) {
  bool told = send(peer.child, peerDone) && receive(peer.child, &report->preparationMs) &&
              receive(peer.child, &report->firstFrameMs) &&
              receiveText(peer.child, &report->renderer) && receiveText(peer.child, &report->gl) &&
              receiveText(peer.child, &report->glowPath);
  ChildEnd end = finishProcess(peer.child);
  if (told && end.exited && end.status == 0) return true;
  std::fprintf(stderr, "kelvarn: the %s renderer's process did not end well", peer.renderer.c_str());
  if (end.exited) std::fprintf(stderr, " (exit status %d)", end.status);
  std::fprintf(stderr, "\n");
  return false;
}

bool startedAsBenchPeer() {
  const char* v = std::getenv(peerVariable);
  return v && std::strcmp(v, "1") == 0;
}

int serveBenchPeer(const Options& o) {
  ParentLine line;
  if (!takeParentLine(line)) {
    std::fprintf(stderr, "kelvarn: started as a second renderer without a line to the first\n");
    return exitUsage;
  }
  DemoWindow window;
  int failed = 0;
  double prepStart = steadyMs();
  if (!openOffscreenShow(window, o, &failed)) return failed;
  glFinish();
  double prepMs = steadyMs() - prepStart;
  resetFrameClock();
  timedBenchFrame(0);
  double firstFrameMs = msSinceProcessStart();
  int code = 0;
  uint32_t at = 0;
  if (!answer(line, peerReady)) code = exitNoWindow;
  while (code == 0 && readFromParent(line, reinterpret_cast<unsigned char*>(&at), sizeof at) &&
         at != peerDone) {
    if (!answer(line, timedBenchFrame(at))) code = exitNoWindow;
  }
  if (code == 0 && at != peerDone) code = exitNoWindow;  // the first process went away
  if (code == 0) {
    const char* gl = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!answer(line, prepMs) || !answer(line, firstFrameMs) ||
        !answerText(line, benchRendererName()) || !answerText(line, gl ? gl : "unknown") ||
        !answerText(line, benchGlowPath(false)))
      code = exitNoWindow;
  }
  closeShow(window);
  return code;
}
