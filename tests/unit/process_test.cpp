// The real command-line tool as a process of its own, on a large archive:
// interrupted, it leaves only whole files under final names (and no
// temporary file after an interrupt or a request to end), and a second run
// completes the set; at a terminal it asks with All and None and draws its
// progress, and in a pipe it does neither.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/file_services.h"
#include "core/implode.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

// Runs `vorevuvo wad extract ARCHIVE -o FOLDER` with its stderr in the
// file `messages`, sends `signal` after `delay` (none for 0) and returns its
// wait status.
int Extract(const std::string& archive, const std::string& folder, int signal = 0,
            std::chrono::microseconds delay = {}, const std::string& messages = "/dev/null") {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(open(messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    execl(KV_VOREVUVO, KV_VOREVUVO, "wad", "extract", archive.c_str(), "-o", folder.c_str(), nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  if (signal != 0) kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

// Runs `vorevuvo wad extract ARCHIVE -o FOLDER` at a pseudo-terminal,
// answering each overwrite question with the next of `answers`: what the
// terminal showed and the wait status.
std::pair<std::string, int> ExtractAtATerminal(const std::string& archive, const std::string& folder,
                                               std::vector<std::string> answers) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    execl(KV_VOREVUVO, KV_VOREVUVO, "wad", "extract", archive.c_str(), "-o", folder.c_str(), nullptr);
    _exit(127);
  }
  std::string shown;
  std::size_t answered = 0;
  char buffer[4096];
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) { // EIO once the tool has ended
    shown.append(buffer, static_cast<std::size_t>(got));
    std::size_t asked = 0;
    for (std::size_t at = shown.find("[N]one "); at != std::string::npos; at = shown.find("[N]one ", at + 1))
      ++asked;
    for (; answered < asked && answered < answers.size(); ++answered)
      write(terminal, (answers[answered] + "\n").data(), answers[answered].size() + 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  return {shown, status};
}

// The whole files in `folder`, each E<n> holding content n % 6; a temporary
// file fails the test unless allowed.
int WholeFiles(const std::string& folder, bool temporaries_allowed) {
  int whole = 0;
  for (const std::string& name : FilesIn(folder)) {
    const int content = name.ends_with(kTemporaryEnding) ? -1 : std::stoi(name.substr(1)) % 6;
    EXPECT_TRUE(content >= 0 || temporaries_allowed) << name;
    if (content < 0) continue;
    EXPECT_EQ(ReadBytes(folder + "/" + name), Pattern(12000 + 1000 * content, content)) << name;
    ++whole;
  }
  return whole;
}

TEST(TheToolAsAProcess, InterruptedItLeavesWholeFilesAndAtATerminalItAsksWithAllOrNone) {
  constexpr int kEntries = 1200;
  TempDir dir;
  std::vector<Bytes> blocks;
  std::vector<WadMember> members;
  for (int i = 0; i < kEntries; ++i) {
    if (i < 6) blocks.push_back(ImplodeBlock(Pattern(12000 + 1000 * i, i)));
    members.push_back(StoredMember("E" + std::to_string(i), blocks[i % 6]));
  }
  const std::string archive = dir.File("big.wad"), whole = dir.File("whole");
  WriteBytes(archive, BuildWad(members));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Extract(archive, whole, 0, {}, dir.File("messages")), 0);
  const auto full =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(ReadBytes(dir.File("messages")), Bytes{}) << "no progress in a file";
  EXPECT_EQ(WholeFiles(whole, false), kEntries);

  // Stopped at points spread over a whole run, by each kind of signal.
  constexpr int kRounds = 9;
  for (int round = 0; round < kRounds; ++round) {
    const int signal = std::array{SIGINT, SIGTERM, SIGKILL}[round % 3];
    const std::string folder = dir.File("out" + std::to_string(round));
    const int status = Extract(archive, folder, signal, full * (round + 1) / (kRounds + 1));
    SCOPED_TRACE("round " + std::to_string(round) + ", status " + std::to_string(status));
    // Ended by the tool with 128 + the signal, or finished first; or killed
    // outright (SIGKILL, or a signal before main could install its handler,
    // when nothing is being written yet).
    const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal;
    EXPECT_TRUE(ended || (WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
                (WIFSIGNALED(status) && WTERMSIG(status) == signal));
    if (!std::filesystem::exists(folder)) continue;
    WholeFiles(folder, signal == SIGKILL);
    // A temporary file left by SIGKILL is no result and stays out of the way.
    EXPECT_EQ(Extract(archive, folder), 0);
    EXPECT_EQ(WholeFiles(folder, signal == SIGKILL), kEntries);
  }

  // At a terminal the progress is drawn in place, and the overwrite question
  // takes None and All, each for the rest of the command.
  WriteBytes(whole + "/E7", Text("changed"));
  auto [shown, status] = ExtractAtATerminal(archive, whole, {"n", "N"});
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(shown.find("\rvorevuvo: 1200 of 1200 entries") != std::string::npos) << shown;
  EXPECT_EQ(ReadBytes(whole + "/E7"), Text("changed"));
  std::tie(shown, status) = ExtractAtATerminal(archive, whole, {"A"});
  EXPECT_EQ(std::ranges::count(shown, '?'), 1) << "one question: All answers the rest";
  EXPECT_EQ(WholeFiles(whole, false), kEntries);
}

} // namespace
} // namespace kv::test
