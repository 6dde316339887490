// `vorevuvo wad create`, checked by reading its archives back with
// `wad list` and `wad extract`.
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kv::cli {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

using test::Cli;
using test::CliRun;

std::vector<std::uint8_t> Noise(std::size_t size) {
  std::vector<std::uint8_t> data(size);
  std::uint32_t state = 7;
  for (std::uint8_t& byte : data) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return data;
}

class WadCreate : public ::testing::Test {
protected:
  test::TempDir dir;
  test::CurrentDirectoryGuard guard;
};

TEST_F(WadCreate, ArchivesListAndExtractBackToTheSameFiles) {
  std::filesystem::create_directories(dir.File("in/sub"));
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
      {"in/sub/kick.sfx", Noise(3000)},
      {"in/Notes.txt", Bytes("notes, notes and more notes\r\n")},
      {"in/full.bin", Noise(65535)},
  };
  for (const auto& [path, bytes] : files)
    WriteBytes(dir.File(path), bytes);

  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"--literals", "text", "--dict", "1024"}, {"--dict=2048"}}) {
    SCOPED_TRACE(testing::PrintToString(options));
    std::vector<std::string> args = {"wad", "create", dir.File("out.wad")};
    for (const auto& [path, bytes] : files)
      args.push_back(dir.File(path));
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"--overwrite", "overwrite"});
    CliRun run = Cli(args);
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(
        run.out.substr(0, run.out.find(" bytes")).find("wrote " + dir.File("out.wad") + " (3 entries, "), 0u)
        << run.out;

    run = Cli({"wad", "list", dir.File("out.wad")});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    for (const std::string name : {"KICK.SFX", "NOTES.TXT", "FULL.BIN"}) {
      ASSERT_TRUE(std::getline(lines, line));
      EXPECT_EQ(line.substr(0, line.find(' ')), name) << "upper-case base names, in the order given";
    }

    std::filesystem::remove_all(dir.File("x"));
    run = Cli({"wad", "extract", dir.File("out.wad"), "-o", dir.File("x"), "--no-wav"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(ReadBytes(dir.File("x/KICK.SFX")), files[0].second);
    EXPECT_EQ(ReadBytes(dir.File("x/NOTES.TXT")), files[1].second);
    EXPECT_EQ(ReadBytes(dir.File("x/FULL.BIN")), files[2].second);
  }
  const auto archive = ReadBytes(dir.File("out.wad"));
  const std::size_t first_block = archive[2 + 18] | archive[2 + 19] << 8;
  EXPECT_EQ(archive[first_block + 4], 0) << "binary literals";
  EXPECT_EQ(archive[first_block + 5], 5) << "a 2048-byte dictionary";
}

// The writer's own refusals are tested with it; here, what the command adds:
// names from paths, the file it could not read, the archive it must keep.
TEST_F(WadCreate, RefusesBadInputsAndKeepsAnExistingArchive) {
  std::filesystem::create_directories(dir.File("a"));
  std::filesystem::create_directories(dir.File("b"));
  WriteBytes(dir.File("a/one.txt"), Bytes("first"));
  WriteBytes(dir.File("b/ONE.TXT"), Bytes("second"));
  WriteBytes(dir.File("a/fourteen_chars"), Bytes("long name"));
  const std::string archive = dir.File("out.wad");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"a/one.txt", "b/ONE.TXT"}, "ONE.TXT: the name is given twice"},
      {{"a/fourteen_chars"}, "a/fourteen_chars: the name has 14 characters"},
      {{"a/one.txt", "a/missing.txt"}, "a/missing.txt was not read"},
  };
  for (const auto& [files, message] : cases) {
    std::vector<std::string> args = {"wad", "create", archive};
    for (const std::string& file : files)
      args.push_back(dir.File(file));
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(archive));
  }

  WriteBytes(archive, Bytes("keep me"));
  const CliRun run = Cli({"wad", "create", archive, dir.File("a/one.txt")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("exists and was left as it is"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(archive), Bytes("keep me"));

  for (const std::vector<std::string>& usage : {std::vector<std::string>{"wad", "create", archive},
                                                {"wad", "create", archive, "f", "--dict", "512"},
                                                {"wad", "create", archive, "f", "-o", "x"},
                                                {"wad", "list", archive, "--literals", "text"}}) {
    EXPECT_EQ(Cli(usage).status, kExitUsage) << testing::PrintToString(usage);
  }
}

} // namespace
} // namespace kv::cli
