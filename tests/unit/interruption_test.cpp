// The real command-line tool, interrupted while it extracts a large archive:
// whenever it is stopped, every file under a final name is whole, an
// interrupt or a request to end leaves no temporary file, and a second run
// completes the set.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/file_services.h"
#include "core/implode.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

constexpr int kEntries = 1500;
constexpr int kContents = 6;

// Runs `vorevuvo wad extract ARCHIVE -o FOLDER`, sends `signal` after
// `delay` (none for 0) and returns its wait status.
int ExtractAndInterrupt(const std::string& archive, const std::string& folder, int signal,
                        std::chrono::microseconds delay) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd)
      dup2(null, fd);
    execl(KV_VOREVUVO, KV_VOREVUVO, "wad", "extract", archive.c_str(), "-o", folder.c_str(), nullptr);
    _exit(127);
  }
  if (signal != 0) {
    std::this_thread::sleep_for(delay);
    kill(child, signal);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(Interruption, AnInterruptedExtractionLeavesOnlyWholeFilesAndARerunCompletesTheSet) {
  TempDir dir;
  std::vector<Bytes> contents;
  std::vector<WadMember> members;
  for (int i = 0; i < kContents; ++i)
    contents.push_back(Pattern(12000 + 1000 * i, i));
  std::vector<Bytes> blocks;
  for (const Bytes& content : contents)
    blocks.push_back(ImplodeBlock(content, {}));
  for (int i = 0; i < kEntries; ++i)
    members.push_back(StoredMember("E" + std::to_string(i) + ".BIN", blocks[i % kContents]));
  const std::string archive = dir.File("big.wad");
  WriteBytes(archive, BuildWad(members));

  // Every file is whole, and temporary files stay only where allowed.
  const auto check = [&](const std::string& folder, bool temporaries_allowed) {
    int whole = 0;
    for (const std::string& name : FilesIn(folder)) {
      if (name.ends_with(kTemporaryEnding)) {
        EXPECT_TRUE(temporaries_allowed) << folder << "/" << name;
        continue;
      }
      const int index = std::stoi(name.substr(1));
      EXPECT_EQ(ReadBytes(folder + "/" + name), contents[index % kContents]) << name;
      ++whole;
    }
    return whole;
  };

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ExtractAndInterrupt(archive, dir.File("whole"), 0, {}), 0);
  const auto full =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(check(dir.File("whole"), false), kEntries);

  // Stopped at points spread over a whole run, by each kind of signal.
  constexpr int kRounds = 12;
  for (int round = 0; round < kRounds; ++round) {
    const int signal = std::array{SIGINT, SIGTERM, SIGKILL}[round % 3];
    const std::string folder = dir.File("out" + std::to_string(round));
    const int status = ExtractAndInterrupt(archive, folder, signal, full * (round + 1) / (kRounds + 1));
    SCOPED_TRACE("round " + std::to_string(round) + ", signal " + std::to_string(signal));
    if (signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
    } else {
      EXPECT_TRUE(WIFEXITED(status));
      EXPECT_TRUE(WEXITSTATUS(status) == 128 + signal || WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
    }
    if (!std::filesystem::exists(folder)) continue;
    check(folder, signal == SIGKILL);
    if (round % 3 == 2) { // a temporary file left by SIGKILL is no result and stays out of the way
      EXPECT_EQ(ExtractAndInterrupt(archive, folder, 0, {}), 0);
      EXPECT_EQ(check(folder, true), kEntries);
    }
  }
}

} // namespace
} // namespace kv::test
