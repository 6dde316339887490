// The sample game folder, read back with the tool's own readers and with libdynamite as an
// independent decoder of the sound archive. Writing it is checked in cli_test.cpp.
#include <gtest/gtest.h>

#include "core/compressed_block.h"
#include "media/cel_image.h"
#include "media/wav.h"
#include "sample/sample_folder.h"
#include "support/reference.h"
#include "wad/wad_archive.h"

namespace kv {
namespace {

const std::vector<SampleFile>& Files() {
  static const std::vector<SampleFile> files = BuildSampleFolder(); // imploding the clips is slow
  return files;
}

const SampleFile& File(const std::string& name) {
  for (const SampleFile& file : Files()) {
    if (file.name == name) return file;
  }
  throw std::logic_error("no sample file " + name);
}

TEST(SampleFolder, SoundsWadHoldsTheSpeechClipsThatTwoDecodersAgreeOnAndOneDamagedEntry) {
  const WadImage wad = File("SOUNDS.WAD").bytes;
  ASSERT_EQ(WadDirectoryProblem(wad), "");
  const std::vector<WadEntry> entries = ReadWadDirectory(wad);
  const std::vector<SampleClip> clips = SampleSpeechClips();
  ASSERT_EQ(clips.size(), 12u);
  ASSERT_EQ(entries.size(), clips.size() + 4);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const WadEntry& entry = entries[i];
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(entry.fault, WadEntryFault::None);
    std::vector<std::uint8_t> decoded(entry.size.value_or(0));
    const std::int32_t count = DecodeWadEntry(wad, entry, decoded);
    // The damaged entry's record is sound but its stream is cut short of the size it declares.
    EXPECT_EQ(count < 0, entry.name == "DAMAGED.DAT");
    if (i >= clips.size()) continue;
    EXPECT_EQ(entry.name, clips[i].entry_name);
    EXPECT_EQ(entry.type, "SFX");
    const std::span<const std::uint8_t> samples = clips[i].samples;
    EXPECT_GE(samples.size(), kSfxSamplesPerSecond / 3);
    EXPECT_EQ(samples.front(), 128) << "silence at both ends";
    EXPECT_EQ(samples.back(), 128);
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), samples.begin(), samples.end()));
    EXPECT_EQ(test::DynamiteExplode(WadEntryBlock(wad, entry).subspan(4)), decoded);
  }
  EXPECT_EQ(entries.back().name, "DAMAGED.DAT");
}

TEST(SampleFolder, LooseFilesAreOneCompressedAndOneNotAndTheReadmeDescribesEveryFile) {
  const SampleFile& rules = File("RULES.CMP");
  EXPECT_TRUE(LooksCompressed(rules.bytes));
  const BlockResult result = DecompressBlock(rules.bytes, rules.name);
  ASSERT_EQ(result.kind, BlockResult::Decompressed);
  EXPECT_EQ(std::string(result.data.begin(), result.data.begin() + 33),
            "THE RULES OF THE GAME, IN SHORT\r\n");

  const SampleFile& readme = File("README.TXT");
  EXPECT_FALSE(LooksCompressed(readme.bytes));
  const std::string listing(readme.bytes.begin(), readme.bytes.end());
  for (const SampleFile& file : Files())
    EXPECT_NE(listing.find("\r\n" + file.name + " "), std::string::npos) << file.name << " is described";
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
    names.push_back(image.name);
    odd_width = odd_width || image.width % 2 == 1;
    EXPECT_EQ(image.status, CelImage::Intact);
    const std::vector<std::uint8_t> bmp = BuildBmp(cel.bytes, image, Palette(pal.bytes.data(), kPalSize));
    EXPECT_EQ(bmp.size(), BmpFileSize(image.width, image.height));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SKY", "CHECKER", "FIELD", "PENNANT", "RAMPS"}));
  EXPECT_TRUE(odd_width) << "one image needs padded rows";
}

} // namespace
} // namespace kv
