// The command-line tool: exit codes, what it adds to the commands' own code (names, folders, counts,
// output formats) and that it never replaces a file unless told.
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "media/cel_image.h"
#include "sample/sample_folder.h"
#include "support/cel_builder.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::cli {
namespace {

using test::Bytes;
using test::Cli;
using test::CliRun;
using test::Member;
using test::ReadBytes;
using test::WriteBytes;
using U8 = std::vector<std::uint8_t>;

const std::vector<std::uint8_t> kAbab = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06,
                                         0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CliTest : public ::testing::Test {
protected:
  test::TempDir dir;
  test::CurrentDirectoryGuard guard;
};

TEST_F(CliTest, HelpSucceedsAndEveryMalformedCommandLineIsAUsageError) {
  for (const char* command : {"decompress", "compress", "wad", "cel2bmp", "make-sample"}) {
    const CliRun help = Cli({command, "--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_TRUE(Has(help.out, std::string("usage: vorevuvo ") + command)) << help.out;
    EXPECT_TRUE(Has(Cli({"--help"}).out, std::string("  ") + command + " ")) << "the overview names it";
  }
  // Command lines separated by ';' ("-o" is required by wad extract and cel2bmp).
  std::istringstream lines(
      ";frobnicate;decompress;decompress a b;decompress a --bogus;decompress a -o;"
      "compress a --dict 512;compress a --literals ascii;compress a --overwrite maybe;wad;"
      "wad show a.wad;wad list a.wad b.wad;wad list a.wad --literals text;wad extract a.wad;"
      "wad extract a.wad -o x --json;wad create a.wad;wad create a.wad f -o x;"
      "cel2bmp c.cel p.pal;cel2bmp c.cel -o f;make-sample;make-sample a b;");
  for (std::string line; std::getline(lines, line, ';');) {
    std::istringstream words(line);
    std::vector<std::string> args;
    for (std::string word; words >> word;)
      args.push_back(word);
    EXPECT_EQ(Cli(args).status, kExitUsage) << line;
  }
}

TEST_F(CliTest, DecompressWritesBesideTheInputAndNeverReplacesAFileUnlessTold) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  CliRun run = Cli({"decompress", dir.File("abab.cmp")});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp.unpacked")), Bytes("ABAB"));
  EXPECT_TRUE(Has(run.out, "4 bytes"));

  const std::vector<std::string> to_out = {"decompress", dir.File("abab.cmp"), "-o", dir.File("out")};
  WriteBytes(dir.File("out"), Bytes("keep"));
  run = Cli(to_out);
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "left as it is"));
  run = Cli(to_out, "n\n", true);
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "Do you wish to overwrite it? [y/n]"));
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("keep"));
  EXPECT_EQ(Cli(to_out, "y\n", true).status, kExitSuccess);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("ABAB"));
  WriteBytes(dir.File("out"), Bytes("keep"));
  std::vector<std::string> forced = to_out;
  forced.insert(forced.end(), {"--overwrite", "overwrite"});
  EXPECT_EQ(Cli(forced).status, kExitSuccess);
  EXPECT_EQ(ReadBytes(dir.File("out")), Bytes("ABAB"));
}

TEST_F(CliTest, DecompressRefusesWadFilesBrokenAndUncompressedDataUnlessForced) {
  WriteBytes(dir.File("music.WAD"), kAbab);
  CliRun run = Cli({"decompress", dir.File("music.WAD")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "Error: can not be used on a *.WAD file"));

  WriteBytes(dir.File("bad.cmp"), std::vector<std::uint8_t>(kAbab.begin(), kAbab.begin() + 9));
  run = Cli({"decompress", dir.File("bad.cmp")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "vorevuvo: bad.cmp: Decompression Failed\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.cmp.unpacked")));
  run = Cli({"decompress", dir.File("missing")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err, "vorevuvo: LoadFile(): The system cannot find the file specified.\n");

  auto d4 = kAbab;
  d4[5] = 4;
  WriteBytes(dir.File("d4.cmp"), d4);
  run = Cli({"decompress", dir.File("d4.cmp")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "--force"));
  EXPECT_EQ(Cli({"decompress", dir.File("d4.cmp"), "--force"}).status, kExitSuccess);
  EXPECT_EQ(ReadBytes(dir.File("d4.cmp.unpacked")), Bytes("ABAB"));
}

TEST_F(CliTest, CompressWritesTheChosenModeAndDictionaryAndRefusesFilesTooLarge) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "The kick is up and it is good! " + std::to_string(i) + "\n";
  WriteBytes(dir.File("text.txt"), Bytes(text));
  for (const auto& [literals, dict, header] :
       {std::tuple("binary", "1024", U8{0, 4}), std::tuple("text", "2048", U8{1, 5}),
        std::tuple("text", "4096", U8{1, 6})}) {
    const std::string packed = dir.File(std::string("p-") + literals + dict);
    CliRun run =
        Cli({"compress", dir.File("text.txt"), "-o", packed, "--literals", literals, "--dict", dict});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    const U8 block = ReadBytes(packed);
    EXPECT_EQ(U8(block.begin() + 4, block.begin() + 6), header);
    // Only dictionary 4096 carries the "compressed" mark.
    run = Cli({"decompress", packed, "-o", packed + ".out", "--force"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(ReadBytes(packed + ".out"), Bytes(text)) << literals << " " << dict;
  }
  WriteBytes(dir.File("big"), std::vector<std::uint8_t>(65536, 'x'));
  const CliRun run = Cli({"compress", dir.File("big")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "65536 bytes is too large"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.packed")));
}

TEST_F(CliTest, WadListShowsTheViewersColumnsOrJsonWithFaultsAndEscapedNames) {
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
  EXPECT_TRUE(Has(run.out, " -2147483")) << run.out;
  EXPECT_TRUE(Has(run.out, "Q\"\\x01\\xE9")) << run.out;
  EXPECT_TRUE(Has(run.err, "entry 1 (BIG): the entry's")) << run.err;
  run = Cli({"wad", "list", dir.File("big.wad"), "--json"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_TRUE(Has(run.out, "{\"name\": \"BIG\", \"type\": \"\", \"compressed_size\": 2147483")) << run.out;
  EXPECT_TRUE(Has(run.out, "\"problem\": \"the entry's"));
  EXPECT_TRUE(Has(run.out, "\"name\": \"Q\\\"\\u0001\\u00e9\"")) << run.out;

  WriteBytes(dir.File("cut.wad"), {0x05, 0x00, 'A', 0});
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"wad", "list", dir.File("cut.wad")}, {"wad", "extract", dir.File("cut.wad"), "-o", "o"}}) {
    run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vorevuvo: cut.wad: Refused: not a readable WAD archive: its directory of 5 entries "
                       "needs 112 bytes, but the file holds 4\n");
  }
}

TEST_F(CliTest, WadExtractCountsTheFilesAndFailsForRefusedOrBrokenEntriesButWritesTheRest) {
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
  EXPECT_TRUE(Has(run.err, "1 file was not written"));
  run = Cli({"wad", "extract", dir.File("game.wad"), "kick.sfx", "-o", out, "--no-wav"});
  EXPECT_EQ(run.out, "1 file extracted to " + out + "\n");
  EXPECT_EQ(ReadBytes(out + "/kick.sfx"), samples);
  run = Cli({"wad", "extract", dir.File("game.wad"), "ABAB.TXT", "-o", out, "--overwrite", "overwrite"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(ReadBytes(out + "/ABAB.TXT"), Bytes("abab")) << "both records are written, the last one stays";
  run = Cli({"wad", "extract", dir.File("game.wad"), "MISSING.TXT", "-o", out});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "no entry named MISSING.TXT"));

  WriteBytes(dir.File("bad.wad"),
             test::BuildWad({Member("CON", Bytes("dev!")), Member("GOOD", Bytes("good")),
                             test::StoredMember("BROKEN", test::BlockWithSize(9, {7, 6}))}));
  run = Cli({"wad", "extract", dir.File("bad.wad"), "-o", dir.File("bad")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "2 files extracted to " + dir.File("bad") + "\n");
  EXPECT_TRUE(Has(run.err, "vorevuvo: CON: Refused: the name is reserved for a device")) << run.err;
  EXPECT_TRUE(Has(run.err, "vorevuvo: BROKEN: Decompression Failed"));
  EXPECT_EQ(ReadBytes(dir.File("bad/BROKEN")).size(), 6u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad/CON")));

  std::vector<test::WadMember> many;
  for (int i = 0; i < 250; ++i)
    many.push_back(Member("E" + std::to_string(i), Bytes("data")));
  WriteBytes(dir.File("many.wad"), test::BuildWad(many));
  run = Cli({"wad", "extract", dir.File("many.wad"), "-o", dir.File("many")});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(run.err, "vorevuvo: 100 of 250 entries\nvorevuvo: 200 of 250 entries\n") << "progress";
}

TEST_F(CliTest, WadCreateArchivesListAndExtractBackToTheSameFiles) {
  std::filesystem::create_directories(dir.File("in/sub"));
  std::vector<std::uint8_t> noise(65535);
  std::uint32_t state = 7;
  for (std::uint8_t& byte : noise)
    byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
      {"in/sub/kick.sfx", {noise.begin(), noise.begin() + 3000}},
      {"in/Notes.txt", Bytes("notes, notes and more notes\r\n")},
      {"in/full.bin", noise},
  };
  std::vector<std::string> args = {"wad", "create", dir.File("out.wad")};
  for (const auto& [path, bytes] : files) {
    WriteBytes(dir.File(path), bytes);
    args.push_back(dir.File(path));
  }
  args.insert(args.end(), {"--literals", "text", "--dict=1024"});
  CliRun run = Cli(args);
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out.find("wrote " + dir.File("out.wad") + " (3 entries, "), 0u) << run.out;
  const auto archive = ReadBytes(dir.File("out.wad"));
  const std::size_t first_block = archive[2 + 18] | archive[2 + 19] << 8;
  EXPECT_EQ(U8(archive.begin() + first_block + 4, archive.begin() + first_block + 6), (U8{1, 4}));

  run = Cli({"wad", "list", dir.File("out.wad")});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_TRUE(Has(run.out, "\nKICK.SFX ") && Has(run.out, "\nNOTES.TXT ") && Has(run.out, "\nFULL.BIN "))
      << "upper-case base names: " << run.out;
  EXPECT_LT(run.out.find("KICK"), run.out.find("NOTES")) << "in the order given";
  run = Cli({"wad", "extract", dir.File("out.wad"), "-o", dir.File("x"), "--no-wav"});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(ReadBytes(dir.File("x/KICK.SFX")), files[0].second);
  EXPECT_EQ(ReadBytes(dir.File("x/NOTES.TXT")), files[1].second);
  EXPECT_EQ(ReadBytes(dir.File("x/FULL.BIN")), files[2].second);
}

// The writer's own refusals are tested with it; here, the file it could not read and the archive it
// must keep.
TEST_F(CliTest, WadCreateRefusesAFileItCannotReadAndKeepsAnExistingArchive) {
  WriteBytes(dir.File("one.txt"), Bytes("first"));
  const std::string archive = dir.File("out.wad");
  CliRun run = Cli({"wad", "create", archive, dir.File("one.txt"), dir.File("missing.txt")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "missing.txt was not read")) << run.err;
  EXPECT_FALSE(std::filesystem::exists(archive));
  WriteBytes(archive, Bytes("keep me"));
  run = Cli({"wad", "create", archive, dir.File("one.txt")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "exists and was left as it is")) << run.err;
  EXPECT_EQ(ReadBytes(archive), Bytes("keep me"));
}

class CelCli : public CliTest {
protected:
  void SetUp() override { WriteBytes(pal_path, test::TestPalette()); }
  std::vector<std::uint8_t> Bmp(const std::vector<std::uint8_t>& cel, std::size_t index) const {
    const auto pal = test::TestPalette();
    return BuildBmp(cel, ReadCel(cel).images.at(index), Palette(pal.data(), kPalSize));
  }
  const std::string cel_path = dir.File("art.v1.cel");
  const std::string pal_path = dir.File("game.pal");
  const std::string folder = dir.File("out/bmp");
};

TEST_F(CelCli, WritesEveryImageIntoANewFolderAndKeepsExistingFilesUnlessTold) {
  const auto three =
      test::BuildCel({test::AsymmetricPicture("AB", 3, 2), test::AsymmetricPicture("CD  X", 1, 1),
                      test::AsymmetricPicture("EF", 5, 4)});
  WriteBytes(cel_path, three);
  CliRun run = Cli({"cel2bmp", cel_path, pal_path, "-o", folder});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  const char* names[] = {"/art.v1_AB.BMP", "/art.v1_CD.BMP", "/art.v1_EF.BMP"};
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(ReadBytes(folder + names[i]), Bmp(three, i)) << names[i];
  EXPECT_TRUE(Has(run.out, "3 of 3 images written to " + folder)) << run.out;

  WriteBytes(folder + names[0], {9});
  run = Cli({"cel2bmp", cel_path, pal_path, "-o", folder});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "exists and was left as it is")) << run.err;
  EXPECT_EQ(ReadBytes(folder + names[0]), U8{9});
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder, "--overwrite", "overwrite"}).status,
            kExitSuccess);
  EXPECT_EQ(ReadBytes(folder + names[0]), Bmp(three, 0));
}

TEST_F(CelCli, ImagesNamedAlikeNeverReplaceEachOther) {
  // AB and ab share a file on Windows; A/B and A:B both become A_B.
  const auto twins =
      test::BuildCel({test::AsymmetricPicture("AB", 1, 1), test::AsymmetricPicture("ab", 2, 1),
                      test::AsymmetricPicture("A/B", 1, 2), test::AsymmetricPicture("A:B", 2, 2)});
  WriteBytes(cel_path, twins);
  const CliRun run = Cli({"cel2bmp", cel_path, pal_path, "-o", folder, "--overwrite", "overwrite"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.out, "2 of 4 images written")) << run.out;
  EXPECT_EQ(ReadBytes(folder + "/art.v1_AB.BMP"), Bmp(twins, 0));
  EXPECT_EQ(ReadBytes(folder + "/art.v1_A_B.BMP"), Bmp(twins, 2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
}

TEST_F(CelCli, AShortPaletteOrAnUnusableFolderIsRefusedWithNothingMade) {
  WriteBytes(cel_path, test::BuildCel({test::AsymmetricPicture("AB", 1, 1)}));
  WriteBytes(dir.File("short.pal"), U8(767));
  CliRun run = Cli({"cel2bmp", cel_path, dir.File("short.pal"), "-o", folder});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "Failed: *.PAL file size must be 768 bytes")) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder)) << "no folder is made for a refused file";
  run = Cli({"cel2bmp", cel_path, pal_path, "-o", pal_path});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "the output folder cannot be made")) << run.err;
}

// Two runs into two folders give the generator's bytes, and nothing is replaced without --force.
TEST_F(CliTest, MakeSampleWritesTheSameFilesOnEveryRunAndReplacesNothingWithoutForce) {
  const std::vector<SampleFile> files = BuildSampleFolder();
  for (const std::string& folder : {dir.File("one"), dir.File("two/deeper")}) {
    const CliRun run = Cli({"make-sample", folder});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    for (const SampleFile& file : files) {
      EXPECT_EQ(ReadBytes(folder + "/" + file.name), file.bytes) << file.name;
      EXPECT_TRUE(Has(run.out, "wrote " + folder + "/" + file.name + " (" +
                                   std::to_string(file.bytes.size()) + " bytes): " + file.description))
          << run.out;
    }
  }
  const std::string folder = dir.File("mine");
  std::filesystem::create_directories(folder);
  WriteBytes(folder + "/TITLE.PAL", Bytes("mine"));
  CliRun run = Cli({"make-sample", folder});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, folder + "/TITLE.PAL exists")) << run.err;
  EXPECT_EQ(ReadBytes(folder + "/TITLE.PAL"), Bytes("mine"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/SOUNDS.WAD")) << "not even the files that were missing";
  run = Cli({"make-sample", folder, "--force"});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(ReadBytes(folder + "/TITLE.PAL"), ReadBytes(dir.File("one/TITLE.PAL")));
}

} // namespace
} // namespace kv::cli
