// The sample game folder, read back with the tool's own readers and with
// libdynamite as an independent decoder of the sound archive.
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "core/compressed_block.h"
#include "media/cel_image.h"
#include "media/wav.h"
#include "sample/sample_folder.h"
#include "support/reference.h"
#include "support/temp_dir.h"
#include "wad/wad_archive.h"

namespace kv {
namespace {

const SampleFile& FileNamed(const std::vector<SampleFile>& files, const std::string& name) {
  for (const SampleFile& file : files) {
    if (file.name == name) return file;
  }
  throw std::logic_error("no sample file " + name);
}

std::string AsText(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// Built once: imploding the clips is the slow part.
const std::vector<SampleFile>& Files() {
  static const std::vector<SampleFile> files = BuildSampleFolder();
  return files;
}

const SampleFile& File(const std::string& name) {
  return FileNamed(Files(), name);
}

TEST(SampleFolder, SoundsWadHoldsTwelveSaneClipsThatTwoDecodersAgreeOn) {
  const WadImage wad = File("SOUNDS.WAD").bytes;
  ASSERT_EQ(WadDirectoryProblem(wad), "");
  const std::vector<WadEntry> entries = ReadWadDirectory(wad);
  const std::vector<SampleClip> clips = SampleSpeechClips();
  ASSERT_EQ(clips.size(), 12u);
  ASSERT_EQ(entries.size(), clips.size() + 4);
  for (std::size_t i = 0; i < clips.size(); ++i) {
    const WadEntry& entry = entries[i];
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(entry.name, clips[i].entry_name);
    EXPECT_EQ(entry.type, "SFX");
    EXPECT_FALSE(clips[i].text.empty());
    // Speech of a third of a second to three seconds, centred on 128 with
    // silence at both ends, and loud but never at the rails.
    const std::span<const std::uint8_t> samples = clips[i].samples;
    EXPECT_GE(samples.size(), kSfxSamplesPerSecond / 3);
    EXPECT_LE(samples.size(), 3 * kSfxSamplesPerSecond);
    EXPECT_EQ(samples.front(), 128);
    EXPECT_EQ(samples.back(), 128);
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_LT(*low, 40);
    EXPECT_GT(*high, 216);
    EXPECT_GT(*low, 0);
    EXPECT_LT(*high, 255);

    std::vector<std::uint8_t> decoded(entry.size.value_or(0));
    ASSERT_EQ(DecodeWadEntry(wad, entry, decoded), static_cast<std::int32_t>(samples.size()));
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), samples.begin(), samples.end()));
    const auto block = WadEntryBlock(wad, entry);
    EXPECT_EQ(test::DynamiteExplode(block.subspan(4)), decoded);
  }

  // The other entries decode, all but the damaged one, whose record is sound
  // but whose stream is cut short of the size it declares.
  for (std::size_t i = clips.size(); i < entries.size(); ++i) {
    std::vector<std::uint8_t> decoded(entries[i].size.value_or(0));
    EXPECT_EQ(DecodeWadEntry(wad, entries[i], decoded) < 0, entries[i].name == "DAMAGED.DAT")
        << entries[i].name;
  }
  EXPECT_EQ(entries.back().name, "DAMAGED.DAT");
  EXPECT_EQ(entries.back().fault, WadEntryFault::None);
}

TEST(SampleFolder, LooseFilesAreOneCompressedAndOneNot) {
  const SampleFile& rules = File("RULES.CMP");
  EXPECT_FALSE(HasWadExtension(rules.name));
  EXPECT_TRUE(LooksCompressed(rules.bytes));
  const BlockResult result = DecompressBlock(rules.bytes, rules.name);
  ASSERT_EQ(result.kind, BlockResult::Decompressed);
  const std::string text = AsText(result.data);
  EXPECT_EQ(text.substr(0, 33), "THE RULES OF THE GAME, IN SHORT\r\n");
  EXPECT_TRUE(
      std::all_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c >= ' '; }));

  const SampleFile& readme = File("README.TXT");
  EXPECT_FALSE(LooksCompressed(readme.bytes));
  const std::string listing = AsText(readme.bytes);
  for (const SampleFile& file : Files()) {
    EXPECT_NE(listing.find("\r\n" + file.name + " "), std::string::npos) << file.name << " is described";
  }
  EXPECT_NE(listing.find("GULLS.SFX     \"The Harbor City Gulls\""), std::string::npos);
}

TEST(SampleFolder, TitleCelConvertsEveryImageWithItsPalette) {
  const SampleFile& cel = File("TITLE.CEL");
  const SampleFile& pal = File("TITLE.PAL");
  ASSERT_EQ(pal.bytes.size(), kPalSize);
  EXPECT_TRUE(std::all_of(pal.bytes.begin(), pal.bytes.end(), [](std::uint8_t v) { return v <= 63; }));
  const CelContents contents = ReadCel(cel.bytes);
  ASSERT_EQ(contents.status, CelContents::Ok);
  std::vector<std::string> names;
  bool odd_width = false;
  for (const CelImage& image : contents.images) {
    SCOPED_TRACE(image.name);
    names.push_back(image.name);
    odd_width = odd_width || image.width % 2 == 1;
    EXPECT_EQ(image.status, CelImage::Intact);
    const std::vector<std::uint8_t> bmp = BuildBmp(cel.bytes, image, Palette(pal.bytes.data(), kPalSize));
    EXPECT_EQ(bmp.size(), BmpFileSize(image.width, image.height));
    // A picture, not a blank: at least three colours.
    std::vector<bool> used(256);
    for (std::size_t i = 0; i < std::size_t{image.width} * image.height; ++i)
      used[cel.bytes[image.pixels + i]] = true;
    EXPECT_GE(std::count(used.begin(), used.end(), true), 3);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SKY", "CHECKER", "FIELD", "PENNANT", "RAMPS"}));
  EXPECT_TRUE(odd_width);
}

// ------------------------------------------------------- make-sample

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun Cli(const std::vector<std::string>& args) {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::RunCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

// Two runs into two folders give the same bytes, which are those of the
// generator, and each file is reported.
TEST(MakeSample, WritesTheSameFilesOnEveryRunAndTellsWhat) {
  test::TempDir dir;
  for (const std::string& folder : {dir.File("one"), dir.File("two/deeper")}) {
    const CliRun run = Cli({"make-sample", folder});
    ASSERT_EQ(run.status, cli::kExitSuccess) << run.err;
    for (const SampleFile& file : Files()) {
      EXPECT_EQ(test::ReadBytes(folder + "/" + file.name), file.bytes) << file.name;
      EXPECT_NE(run.out.find("wrote " + folder + "/" + file.name + " (" + std::to_string(file.bytes.size()) +
                             " bytes): " + file.description),
                std::string::npos)
          << run.out;
    }
  }
}

TEST(MakeSample, ReplacesNothingWithoutForce) {
  test::TempDir dir;
  const std::string folder = dir.File("sample");
  std::filesystem::create_directories(folder);
  test::WriteBytes(folder + "/TITLE.PAL", test::Bytes("mine"));
  CliRun run = Cli({"make-sample", folder});
  EXPECT_EQ(run.status, cli::kExitFailure);
  EXPECT_NE(run.err.find(folder + "/TITLE.PAL exists"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("nothing was written"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(folder + "/TITLE.PAL"), test::Bytes("mine"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/SOUNDS.WAD")) << "not even the files that were missing";

  run = Cli({"make-sample", folder, "--force"});
  EXPECT_EQ(run.status, cli::kExitSuccess) << run.err;
  EXPECT_EQ(test::ReadBytes(folder + "/TITLE.PAL"), File("TITLE.PAL").bytes);

  EXPECT_EQ(Cli({"make-sample"}).status, cli::kExitUsage);
  EXPECT_EQ(Cli({"make-sample", "a", "b"}).status, cli::kExitUsage);
}

} // namespace
} // namespace kv
