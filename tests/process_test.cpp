#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::string tmpPath(const char* name) {
  mkdir(KELVARN_TEST_TMP, 0755);
  return std::string(KELVARN_TEST_TMP) + "/" + name;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

ChildEnd runShell(const std::string& script, const std::string& input = "") {
  ChildProcess child;
  EXPECT_TRUE(startPipedProcess({"/bin/sh", "-c", script}, child)) << script;
  if (!input.empty())
    writeToProcess(child, reinterpret_cast<const unsigned char*>(input.data()), input.size());
  return finishProcess(child);
}
}  // namespace

TEST(ChildProcess, FeedsItsInputAndReportsHowItEnded) {
  EXPECT_EQ(findProgram("sh").front(), '/');
  EXPECT_EQ(findProgram("kelvarn-no-such-program"), "");

  // Everything written arrives, in order, past the pipe's own buffer size.
  std::string out = tmpPath("child-input.bin");
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  ChildEnd end = runShell("cat > '" + out + "'", big);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 0);
  EXPECT_FALSE(end.killed);
  EXPECT_TRUE(fileText(out) == big);

  end = runShell("exit 3");
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 3);

  end = runShell("kill -9 $$");
  EXPECT_FALSE(end.exited);
  EXPECT_TRUE(end.killed);

  ChildProcess none;
  EXPECT_FALSE(startPipedProcess({"/nonexistent/kelvarn-encoder"}, none));
  EXPECT_FALSE(startPipedProcess({}, none));
  unsigned char byte = 0;
  EXPECT_FALSE(writeToProcess(none, &byte, 1));
}

TEST(ChildProcess, AnswersThroughItsOutputInTheEnvironmentGiven) {
  // What it prints comes back to us; the variable given replaces ours of the same name.
  setenv("KELVARN_TEST_WORD", "old", 1);
  ChildProcess child;
  ASSERT_TRUE(startAnsweringProcess(
      {"/bin/sh", "-c", "read x; printf '%s-%s' \"$x\" \"$KELVARN_TEST_WORD\""},
      {"KELVARN_TEST_WORD=new"}, child));
  unsetenv("KELVARN_TEST_WORD");
  const unsigned char ping[] = "ping\n";
  EXPECT_TRUE(writeToProcess(child, ping, 5));
  unsigned char got[8] = {0};
  ASSERT_TRUE(readFromProcess(child, got, sizeof got));
  EXPECT_EQ(std::string(got, got + 8), "ping-new");
  EXPECT_FALSE(readFromProcess(child, got, 1));  // it has ended
  EXPECT_EQ(finishProcess(child).status, 0);
}

TEST(ChildProcess, StopRequestsAndBrokenPipesDoNotEndTheShow) {
  struct sigaction oldInt {}, oldTerm {}, oldPipe {};
  sigaction(SIGINT, nullptr, &oldInt);
  sigaction(SIGTERM, nullptr, &oldTerm);
  sigaction(SIGPIPE, nullptr, &oldPipe);
  catchStopRequests();

  // A reader that has gone: the write fails instead of a SIGPIPE ending the process.
  ChildProcess child;
  ASSERT_TRUE(startPipedProcess({"/bin/sh", "-c", "exec 0<&-; exit 0"}, child));
  std::vector<unsigned char> frame(800 * 600 * 4, 0x55);
  bool failed = false;
  for (int i = 0; i < 50 && !failed; ++i)
    failed = !writeToProcess(child, frame.data(), frame.size());
  EXPECT_TRUE(failed);
  ChildEnd end = finishProcess(child);
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 0);

  EXPECT_FALSE(stopRequested());
  raise(SIGINT);
  EXPECT_TRUE(stopRequested());

  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  sigaction(SIGPIPE, &oldPipe, nullptr);
}

TEST(Files, FoldersAndWritableFiles) {
  std::string root = tmpPath("files");
  std::string why;
  EXPECT_TRUE(makeWritableFolder(root, &why)) << why;
  EXPECT_TRUE(makeWritableFolder(root, &why)) << why;  // there already: fine
  EXPECT_TRUE(isFolder(root));
  EXPECT_TRUE(pathExists(root));

  // A new file that can be written is not left behind; an existing one keeps its bytes.
  std::string fresh = root + "/fresh.mp4";
  std::remove(fresh.c_str());
  EXPECT_TRUE(canWriteFile(fresh, &why)) << why;
  EXPECT_FALSE(pathExists(fresh));
  std::string kept = root + "/kept.mp4";
  std::ofstream(kept) << "keep me";
  EXPECT_TRUE(canWriteFile(kept, &why)) << why;
  EXPECT_EQ(fileText(kept), "keep me");
  EXPECT_FALSE(isFolder(kept));

  // Beneath a plain file nothing can be made; the reason names the path.
  why.clear();
  EXPECT_FALSE(makeWritableFolder(kept + "/frames", &why));
  EXPECT_NE(why.find(kept + "/frames"), std::string::npos) << why;
  why.clear();
  EXPECT_FALSE(canWriteFile(root + "/missing/clip.mp4", &why));
  EXPECT_NE(why.find("missing/clip.mp4"), std::string::npos) << why;
  EXPECT_FALSE(pathExists(root + "/missing"));
  EXPECT_FALSE(enterFolder(root + "/missing"));
}

TEST(Memory, ResidentSizeFollowsTouchedPages) {
  long before = residentMemoryKb();
  ASSERT_GT(before, 0);
  std::vector<unsigned char> block(96u << 20);
  std::memset(block.data(), 1, block.size());
  long after = residentMemoryKb();
  EXPECT_GE(after - before, 80L * 1024) << before << " KiB before, " << after << " KiB after";
  EXPECT_EQ(block[block.size() - 1], 1);
}

TEST(Memory, FreedBlocksStayWithTheProcess) {
  // What llvmpipe frees after a frame must not go back to the system, or the next frame gets it
  // back as fresh zeroed pages. A 16 MiB block would otherwise be unmapped on free.
  if (!keepFreedMemory()) GTEST_SKIP() << "this allocator takes no such setting";
  static unsigned char* volatile block = nullptr;
  const size_t size = 16u << 20;
  long before = residentMemoryKb();
  block = static_cast<unsigned char*>(std::malloc(size));
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, size);
  long touched = residentMemoryKb();
  std::free(block);
  long after = residentMemoryKb();
  EXPECT_GE(touched - before, 12L * 1024) << before << " KiB before, " << touched << " touched";
  EXPECT_GE(after - before, 12L * 1024) << touched << " KiB touched, " << after << " after free";
}
