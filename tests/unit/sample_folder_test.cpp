// The sample game folder means what it says: its files read back with the
// tool's readers and its speech clips with libdynamite. Its bytes are pinned
// in cli_test.cpp, where make-sample writes them.
#include <gtest/gtest.h>

#include <map>

#include "core/compressed_block.h"
#include "media/cel_image.h"
#include "sample/sample_folder.h"
#include "support/reference.h"
#include "support/temp_dir.h"
#include "wad/wad_archive.h"

namespace kv::test {
namespace {

TEST(SampleFolder, EveryFileReadsBackWithTheToolsReadersAndTheClipsWithLibdynamite) {
  std::map<std::string, Bytes> files;
  for (SampleFile& file : BuildSampleFolder())
    files[file.name] = std::move(file.bytes);
  const std::string readme(files["README.TXT"].begin(), files["README.TXT"].end());
  for (const auto& [name, bytes] : files)
    EXPECT_NE(readme.find("\r\n" + name + " "), std::string::npos) << name << " is described";
  EXPECT_EQ(DecompressBlock(files["RULES.CMP"], "RULES.CMP").kind, BlockResult::Decompressed);
  const CelContents title = ReadCel(files["TITLE.CEL"]);
  std::string images;
  for (const CelImage& image : title.images)
    images += image.name + (image.width % 2 == 1 ? "(odd width) " : " ");
  EXPECT_EQ(images, "SKY CHECKER(odd width) FIELD(odd width) PENNANT(odd width) RAMPS ");
  const WadImage wad = files["SOUNDS.WAD"];
  const std::vector<WadEntry> entries = ReadWadDirectory(wad);
  const std::vector<SampleClip> clips = SampleSpeechClips();
  ASSERT_EQ(entries.size(), clips.size() + 4);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Bytes decoded(entries[i].size.value_or(0));
    // The damaged entry's record is sound but its stream is cut short of its size.
    EXPECT_EQ(DecodeWadEntry(wad, entries[i], decoded) < 0, entries[i].name == "DAMAGED.DAT")
        << entries[i].name;
    if (i < clips.size())
      EXPECT_TRUE(entries[i].name == clips[i].entry_name && std::ranges::equal(decoded, clips[i].samples) &&
                  DynamiteExplode(WadEntryBlock(wad, entries[i]).subspan(4)) == decoded)
          << entries[i].name;
  }
}

} // namespace
} // namespace kv::test
