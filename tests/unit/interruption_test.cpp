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

// Runs `vorevuvo wad extract ARCHIVE -o FOLDER`, sends `signal` after
// `delay` (none for 0) and returns its wait status.
int Extract(const std::string& archive, const std::string& folder, int signal = 0,
            std::chrono::microseconds delay = {}) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd)
      dup2(null, fd);
    execl(KV_VOREVUVO, KV_VOREVUVO, "wad", "extract", archive.c_str(), "-o", folder.c_str(), nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  if (signal != 0) kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(Interruption, AnInterruptedExtractionLeavesOnlyWholeFilesAndARerunCompletesTheSet) {
  TempDir dir;
  constexpr int kEntries = 1200;
  std::vector<Bytes> blocks;
  std::vector<WadMember> members;
  for (int i = 0; i < kEntries; ++i) {
    if (i < 6) blocks.push_back(ImplodeBlock(Pattern(12000 + 1000 * i, i)));
    members.push_back(StoredMember("E" + std::to_string(i), blocks[i % 6]));
  }
  const std::string archive = dir.File("big.wad");
  WriteBytes(archive, BuildWad(members));
  // The whole files in `folder`; a temporary file fails the test unless allowed.
  const auto whole_files = [&](const std::string& folder, bool temporaries_allowed) {
    int whole = 0;
    for (const std::string& name : FilesIn(folder)) {
      if (name.ends_with(kTemporaryEnding)) {
        EXPECT_TRUE(temporaries_allowed) << name;
      } else {
        EXPECT_EQ(ReadBytes(folder + "/" + name),
                  Pattern(12000 + 1000 * (std::stoi(name.substr(1)) % 6), std::stoi(name.substr(1)) % 6))
            << name;
        ++whole;
      }
    }
    return whole;
  };

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Extract(archive, dir.File("whole")), 0);
  const auto full =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(whole_files(dir.File("whole"), false), kEntries);
  // Stopped at points spread over a whole run, by each kind of signal.
  constexpr int kRounds = 9;
  for (int round = 0; round < kRounds; ++round) {
    const int signal = std::array{SIGINT, SIGTERM, SIGKILL}[round % 3];
    const std::string folder = dir.File("out" + std::to_string(round));
    const int status = Extract(archive, folder, signal, full * (round + 1) / (kRounds + 1));
    SCOPED_TRACE("round " + std::to_string(round) + ", status " + std::to_string(status));
    const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal;
    EXPECT_TRUE(ended || (WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
                (signal == SIGKILL && WIFSIGNALED(status)));
    if (!std::filesystem::exists(folder)) continue;
    whole_files(folder, signal == SIGKILL);
    // A temporary file left by SIGKILL is no result and stays out of the way.
    EXPECT_EQ(Extract(archive, folder), 0);
    EXPECT_EQ(whole_files(folder, signal == SIGKILL), kEntries);
  }
}

} // namespace
} // namespace kv::test
