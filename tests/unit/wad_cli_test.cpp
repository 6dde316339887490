#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::cli {
namespace {

using test::Bytes;
using test::Member;
using test::ReadBytes;
using test::WriteBytes;

using test::Cli;
using test::CliRun;

class WadCliTest : public ::testing::Test {
protected:
  test::TempDir dir;
  test::CurrentDirectoryGuard guard;
};

TEST_F(WadCliTest, UsageErrors) {
  EXPECT_EQ(Cli({"wad", "--help"}).status, kExitSuccess);
  EXPECT_NE(Cli({"--help"}).out.find("  wad "), std::string::npos);
  EXPECT_EQ(Cli({"wad"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "show", "a.wad"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "list"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "list", "a.wad", "b.wad"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "list", "a.wad", "-o", "x"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "extract", "a.wad"}).status, kExitUsage) << "-o is required";
  EXPECT_EQ(Cli({"wad", "extract", "a.wad", "-o", "x", "--json"}).status, kExitUsage);
  EXPECT_EQ(Cli({"wad", "extract", "a.wad", "-o", "x", "--overwrite", "maybe"}).status, kExitUsage);
}

TEST_F(WadCliTest, ListShowsTheViewersColumnsOrJson) {
  WriteBytes(dir.File("abab.wad"), test::AbabArchive());
  CliRun run = Cli({"wad", "list", dir.File("abab.wad")});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out, "Name           Type  Compressed Size        Size Data Offset\n"
                     "ABAB.TXT       TXT                12           4          24\n");

  auto big = test::BuildWad({Member("BIG", Bytes("abcd")), Member("Q\"\x01\xE9", Bytes("abcd"))});
  big[2 + 14 + 3] = 0x80; // compressed size 2^31 + 16 or so: shown negative, data outside
  WriteBytes(dir.File("big.wad"), big);
  run = Cli({"wad", "list", dir.File("big.wad")});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_NE(run.out.find(" -2147483"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Q\"\\x01\\xE9"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("entry 1 (BIG): the entry's"), std::string::npos) << run.err;

  run = Cli({"wad", "list", dir.File("big.wad"), "--json"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_NE(run.out.find("{\"name\": \"BIG\", \"type\": \"\", \"compressed_size\": 2147483"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"problem\": \"the entry's"), std::string::npos);
  EXPECT_NE(run.out.find("\"name\": \"Q\\\"\\u0001\\u00e9\""), std::string::npos) << run.out;
}

TEST_F(WadCliTest, ListAndExtractRefuseADirectoryPastTheEnd) {
  WriteBytes(dir.File("cut.wad"), {0x05, 0x00, 'A', 0});
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"wad", "list", dir.File("cut.wad")}, {"wad", "extract", dir.File("cut.wad"), "-o", "o"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err,
              "vorevuvo: cut.wad: Refused: not a readable WAD archive: its directory of 5 entries needs "
              "112 bytes, but the file holds 4\n");
  }
}

TEST_F(WadCliTest, ExtractWritesEveryEntryOnceAndCountsTheFiles) {
  std::vector<std::uint8_t> samples(300, 0x80);
  WriteBytes(dir.File("game.wad"),
             test::BuildWad({Member("ABAB.TXT", Bytes("ABAB")), Member("KICK.SFX", samples),
                             Member("abab.txt", Bytes("abab"))}));
  const std::string out = dir.File("out");
  CliRun run = Cli({"wad", "extract", dir.File("game.wad"), "-o", out});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out, "2 files extracted to " + out + "\n");
  EXPECT_EQ(ReadBytes(out + "/ABAB.TXT"), Bytes("ABAB")) << "the duplicate is skipped by default";
  EXPECT_EQ(ReadBytes(out + "/KICK.WAV").size(), 346u);
  EXPECT_NE(run.err.find("1 file was not written"), std::string::npos);

  run = Cli({"wad", "extract", dir.File("game.wad"), "kick.sfx", "-o", out, "--no-wav"});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out, "1 file extracted to " + out + "\n");
  EXPECT_EQ(ReadBytes(out + "/kick.sfx"), samples);

  run = Cli({"wad", "extract", dir.File("game.wad"), "ABAB.TXT", "-o", out, "--overwrite", "overwrite"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(ReadBytes(out + "/ABAB.TXT"), Bytes("abab")) << "both records are written, the last one stays";

  run = Cli({"wad", "extract", dir.File("game.wad"), "MISSING.TXT", "-o", out});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("no entry named MISSING.TXT"), std::string::npos);
}

TEST_F(WadCliTest, ExtractFailsForRefusedAndBrokenEntriesButWritesTheRest) {
  WriteBytes(dir.File("bad.wad"),
             test::BuildWad({Member("CON", Bytes("dev!")), Member("GOOD", Bytes("good")),
                             test::StoredMember("BROKEN", test::BlockWithSize(9, {7, 6}))}));
  const std::string out = dir.File("out");
  const CliRun run = Cli({"wad", "extract", dir.File("bad.wad"), "-o", out});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "2 files extracted to " + out + "\n");
  EXPECT_NE(run.err.find("vorevuvo: CON: Refused: the name is reserved for a device"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("vorevuvo: BROKEN: Decompression Failed"), std::string::npos);
  EXPECT_EQ(ReadBytes(out + "/BROKEN").size(), 6u);
  EXPECT_FALSE(std::filesystem::exists(out + "/CON"));
}

TEST_F(WadCliTest, LongRunsShowProgressOnStderr) {
  std::vector<test::WadMember> members;
  for (int i = 0; i < 250; ++i)
    members.push_back(Member("E" + std::to_string(i), Bytes("data")));
  WriteBytes(dir.File("many.wad"), test::BuildWad(members));
  const CliRun run = Cli({"wad", "extract", dir.File("many.wad"), "-o", dir.File("out")});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(run.err, "vorevuvo: 100 of 250 entries\nvorevuvo: 200 of 250 entries\n");
  EXPECT_EQ(run.out, "250 files extracted to " + dir.File("out") + "\n");
}

} // namespace
} // namespace kv::cli
