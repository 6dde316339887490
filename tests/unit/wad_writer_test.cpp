#include <gtest/gtest.h>

#include "wad/wad_archive.h"
#include "wad/wad_writer.h"

namespace kv {
namespace {

std::vector<std::uint8_t> Text(const std::string& text) {
  return {text.begin(), text.end()};
}

// Content of `size` bytes that compresses somewhat but not to nothing.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i)
    data[i] = static_cast<std::uint8_t>((i * i / 7 + seed) % 251);
  return data;
}

TEST(WadWriter, EntriesReadBackInOrderWithEveryLiteralModeAndDictionary) {
  const std::vector<WadInput> entries = {{"KICK.SFX", Pattern(5000, 1), std::nullopt},
                                         {"README.TXT", Text("A readme, a readme, a readme."), std::nullopt},
                                         {"EMPTYISH", Pattern(4, 9), std::nullopt},
                                         {"FULL.BIN", Pattern(65535, 3), std::nullopt}};
  for (const LiteralMode literals : {LiteralMode::Binary, LiteralMode::Text}) {
    for (const int bits : {4, 5, 6}) {
      SCOPED_TRACE(testing::Message() << "literals " << int(literals) << ", dictionary bits " << bits);
      const WadBuild build = BuildWadArchive(entries, {literals, bits});
      ASSERT_TRUE(build.ok()) << build.problem;
      EXPECT_EQ(WadDirectoryProblem(build.image), "");
      const std::vector<WadEntry> directory = ReadWadDirectory(build.image);
      ASSERT_EQ(directory.size(), entries.size());
      std::uint32_t expected_offset = 2 + 22 * 4;
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const WadEntry& entry = directory[i];
        EXPECT_EQ(entry.name, entries[i].name);
        EXPECT_EQ(entry.fault, WadEntryFault::None);
        EXPECT_EQ(entry.size, entries[i].data.size());
        EXPECT_EQ(entry.data_offset, expected_offset) << "blocks follow each other in directory order";
        expected_offset += entry.compressed_size;
        const auto block = WadEntryBlock(build.image, entry);
        EXPECT_EQ(block[4], static_cast<std::uint8_t>(literals));
        EXPECT_EQ(block[5], bits);
        std::vector<std::uint8_t> decoded(*entry.size);
        EXPECT_EQ(DecodeWadEntry(build.image, entry, decoded), static_cast<std::int32_t>(decoded.size()));
        EXPECT_EQ(decoded, entries[i].data);
      }
      EXPECT_EQ(expected_offset, build.image.size()) << "nothing after the last block";
    }
  }
}

TEST(WadWriter, StoresAGivenBlockAsItIsAndAnEmptyArchiveAsItsCount) {
  const std::vector<std::uint8_t> damaged = {0x10, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82};
  const std::vector<WadInput> entries = {{"A.TXT", Text("alpha alpha"), std::nullopt},
                                         {"B.DAT", {}, damaged}};
  const WadBuild build = BuildWadArchive(entries);
  ASSERT_TRUE(build.ok()) << build.problem;
  const auto block = WadEntryBlock(build.image, ReadWadDirectory(build.image).at(1));
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()), damaged);
  EXPECT_EQ(BuildWadArchive({}).image, (std::vector<std::uint8_t>{0, 0}));
}

TEST(WadWriter, RefusesWhatTheReaderCouldNotGiveBack) {
  struct Case {
    std::vector<WadInput> entries;
    std::string problem; // empty: accepted
  };
  const auto entry = [](std::string name, std::size_t size = 8) {
    return WadInput{std::move(name), Pattern(size, 0), std::nullopt};
  };
  const Case cases[] = {
      {{entry("ABCDEFGHI.TXT")}, ""},
      {{entry("ABCDEFGHIJ.TXT")},
       "ABCDEFGHIJ.TXT: the name has 14 characters; an entry name holds at most 13"},
      {{entry("")}, ": the name is empty"},
      {{entry("CON.TXT")}, "CON.TXT: the name is reserved for a device"},
      {{entry("A/B")}, "A/B: the name contains '\\', '/' or ':'"},
      {{entry("TAB\t")}, "TAB\t: the name contains a control character"},
      {{entry("KICK.SFX"), entry("kick.sfx")}, "kick.sfx: the name is given twice"},
      {{entry("BIG", 65535)}, ""},
      {{entry("BIG", 65536)}, "BIG: the file has 65536 bytes; an entry holds at most 65535"},
      {{entry("TINY", 3)}, "TINY: the file has 3 bytes; an entry that decodes to fewer than 4"},
      {{WadInput{"STORED", {}, std::vector<std::uint8_t>{1, 2}}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries.back().name);
    const WadBuild build = BuildWadArchive(c.entries);
    if (c.problem.empty()) {
      EXPECT_TRUE(build.ok()) << build.problem;
    } else {
      EXPECT_EQ(build.problem.substr(0, c.problem.size()), c.problem);
      EXPECT_TRUE(build.image.empty());
    }
  }

  const std::vector<WadInput> too_many(65536);
  EXPECT_EQ(BuildWadArchive(too_many).problem, "65536 files are too many for one archive (at most 65535)");
}

TEST(WadWriter, EntryNamesAreUpperCaseBaseNames) {
  EXPECT_EQ(WadEntryNameFor("sounds/kick.sfx"), "KICK.SFX");
  EXPECT_EQ(WadEntryNameFor("C:\\GAME\\Voice1.Sfx"), "VOICE1.SFX");
  EXPECT_EQ(WadEntryNameFor("plain"), "PLAIN");
  EXPECT_EQ(WadEntryNameFor("dir/\xE9t\xE9.txt"), "\xE9T\xE9.TXT") << "only ASCII letters change";
}

} // namespace
} // namespace kv
