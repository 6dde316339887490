#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "core/implode.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kv::cli {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

const std::vector<std::uint8_t> kAbab = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06,
                                         0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};

using test::Cli;
using test::CliRun;

class CliTest : public ::testing::Test {
protected:
  test::TempDir dir;
};

TEST_F(CliTest, HelpAndUsageErrors) {
  EXPECT_EQ(Cli({"--help"}).status, kExitSuccess);
  for (const char* command : {"decompress", "compress"}) {
    const CliRun help = Cli({command, "--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find(std::string("usage: vorevuvo ") + command), std::string::npos);
  }
  EXPECT_EQ(Cli({}).status, kExitUsage);
  EXPECT_EQ(Cli({"frobnicate"}).status, kExitUsage);
  EXPECT_EQ(Cli({"decompress"}).status, kExitUsage);
  EXPECT_EQ(Cli({"decompress", "a", "b"}).status, kExitUsage);
  EXPECT_EQ(Cli({"decompress", "a", "--bogus"}).status, kExitUsage);
  EXPECT_EQ(Cli({"decompress", "a", "-o"}).status, kExitUsage);
  EXPECT_EQ(Cli({"compress", "a", "--dict", "512"}).status, kExitUsage);
  EXPECT_EQ(Cli({"compress", "a", "--literals", "ascii"}).status, kExitUsage);
  EXPECT_EQ(Cli({"compress", "a", "--overwrite", "maybe"}).status, kExitUsage);
}

TEST_F(CliTest, DecompressWritesBesideTheInputByDefault) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  const CliRun run = Cli({"decompress", dir.File("abab.cmp")});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp.unpacked")), Bytes("ABAB"));
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp")), kAbab);
  EXPECT_NE(run.out.find("4 bytes"), std::string::npos);
}

TEST_F(CliTest, DecompressNeverReplacesAnExistingFileUnlessTold) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  WriteBytes(dir.File("out"), Bytes("keep"));
  CliRun run = Cli({"decompress", dir.File("abab.cmp"), "-o", dir.File("out")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("left as it is"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("keep"));

  run = Cli({"decompress", dir.File("abab.cmp"), "-o", dir.File("out")}, "n\n", true);
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("Do you wish to overwrite it? [y/n]"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("keep"));

  run = Cli({"decompress", dir.File("abab.cmp"), "-o", dir.File("out")}, "y\n", true);
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("ABAB"));

  WriteBytes(dir.File("out"), Bytes("keep"));
  run = Cli({"decompress", dir.File("abab.cmp"), "-o", dir.File("out"), "--overwrite", "overwrite"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("ABAB"));
}

TEST_F(CliTest, DecompressRefusesWadFilesAndUncompressedDataUnlessForced) {
  WriteBytes(dir.File("music.WAD"), kAbab);
  CliRun run = Cli({"decompress", dir.File("music.WAD")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("Error: can not be used on a *.WAD file"), std::string::npos);

  auto d4 = kAbab;
  d4[5] = 4;
  WriteBytes(dir.File("d4.cmp"), d4);
  run = Cli({"decompress", dir.File("d4.cmp")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("--force"), std::string::npos);
  run = Cli({"decompress", dir.File("d4.cmp"), "--force"});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(ReadBytes(dir.File("d4.cmp.unpacked")), Bytes("ABAB"));
}

TEST_F(CliTest, DecompressReportsFailuresWithTheirMessages) {
  WriteBytes(dir.File("bad.cmp"), std::vector<std::uint8_t>(kAbab.begin(), kAbab.begin() + 9));
  CliRun run = Cli({"decompress", dir.File("bad.cmp")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "vorevuvo: bad.cmp: Decompression Failed\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.cmp.unpacked")));

  run = Cli({"decompress", dir.File("missing")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "vorevuvo: LoadFile(): The system cannot find the file specified.\n");
}

TEST_F(CliTest, CompressRoundTripsThroughDecompressForEveryOption) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "The kick is up and it is good! " + std::to_string(i) + "\n";
  WriteBytes(dir.File("text.txt"), Bytes(text));
  for (const char* literals : {"binary", "text"}) {
    for (const char* dict : {"1024", "2048", "4096"}) {
      const std::string packed = dir.File(std::string("p-") + literals + dict);
      CliRun run =
          Cli({"compress", dir.File("text.txt"), "-o", packed, "--literals", literals, "--dict", dict});
      ASSERT_EQ(run.status, kExitSuccess) << run.err;
      const std::string unpacked = packed + ".out";
      // Only dictionary 4096 carries the "compressed" mark.
      run = Cli({"decompress", packed, "-o", unpacked, "--force"});
      ASSERT_EQ(run.status, kExitSuccess) << run.err;
      EXPECT_EQ(ReadBytes(unpacked), Bytes(text)) << literals << " " << dict;
    }
  }
}

TEST_F(CliTest, CompressRefusesFilesTooLargeForABlock) {
  WriteBytes(dir.File("big"), std::vector<std::uint8_t>(65536, 'x'));
  const CliRun run = Cli({"compress", dir.File("big")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_NE(run.err.find("65536 bytes is too large"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.packed")));
}

} // namespace
} // namespace kv::cli
