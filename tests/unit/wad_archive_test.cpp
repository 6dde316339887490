#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/wad_builder.h"
#include "wad/wad_archive.h"

namespace kv {
namespace {

using test::Bytes;
using test::Member;
using test::WadMember;

TEST(WadArchiveTest, TheAbabArchiveListsOneDecodableEntry) {
  const auto archive = test::AbabArchive();
  EXPECT_EQ(WadDirectoryProblem(archive), "");
  const auto entries = ReadWadDirectory(archive);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "ABAB.TXT");
  EXPECT_EQ(entries[0].type, "TXT");
  EXPECT_EQ(entries[0].compressed_size, 12u);
  EXPECT_EQ(entries[0].size, 4u);
  EXPECT_EQ(entries[0].data_offset, 24u);
  EXPECT_EQ(entries[0].fault, WadEntryFault::None);
  std::vector<std::uint8_t> buffer(4);
  EXPECT_EQ(DecodeWadEntry(archive, entries[0], buffer), 4);
  EXPECT_EQ(buffer, Bytes("ABAB"));
  std::vector<std::uint8_t> short_buffer(3);
  EXPECT_EQ(DecodeWadEntry(archive, entries[0], short_buffer), -1) << "a buffer below the declared size";
}

TEST(WadArchiveTest, TypesAndCaseInsensitiveLookup) {
  const auto archive = test::BuildWad({Member("VOICE1.SFX", Bytes("one!")), Member(".PROFILE", Bytes("dots")),
                                       Member("A.B.C", Bytes("abcd")), Member("voice1.sfx", Bytes("two!"))});
  const auto entries = ReadWadDirectory(archive);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].type, "") << "a '.' at index 0 does not start the type";
  EXPECT_EQ(entries[2].type, "B.C");
  EXPECT_EQ(entries[1].data_offset, entries[0].data_offset + entries[0].compressed_size);
  EXPECT_EQ(FindWadEntry(archive, "Voice1.Sfx"), 0u);
  EXPECT_EQ(FindWadEntry(archive, "VOICE1.SFX", 1), 3u);
  EXPECT_EQ(FindWadEntry(archive, "VOICE1"), std::nullopt) << "a prefix is not a match";
  EXPECT_EQ(FindWadEntry(archive, std::string("A.B.C\0", 6)), std::nullopt);
  EXPECT_FALSE(WadNamesEqual("\xE4.SFX", "\xC4.SFX")) << "only ASCII letters fold";
}

TEST(WadArchiveTest, ADirectoryPastTheEndRefusesTheWholeArchive) {
  std::vector<std::uint8_t> short_by_one(2 + 22 * 2 - 1, 0);
  short_by_one[0] = 2;
  const std::vector<std::vector<std::uint8_t>> refused = {
      {},           {0x01},
      {0x01, 0x00}, {0xFF, 0xFF, 'A', 0},
      short_by_one, test::BuildWad({Member("A", Bytes("aaaa"))}, {.count = 3})};
  for (const auto& image : refused) {
    EXPECT_NE(WadDirectoryProblem(image), "") << image.size();
    EXPECT_TRUE(ReadWadDirectory(image).empty());
    EXPECT_EQ(FindWadEntry(image, "A"), std::nullopt);
  }
  EXPECT_EQ(WadDirectoryProblem(short_by_one),
            "its directory of 2 entries needs 46 bytes, but the file holds 45");
  short_by_one.push_back(0);
  EXPECT_EQ(WadDirectoryProblem(short_by_one), "");
  EXPECT_TRUE(ReadWadDirectory(std::vector<std::uint8_t>{0, 0}).empty());
}

TEST(WadArchiveTest, FaultyRecordsAreListedWithWhatCanBeShownButNeverRead) {
  WadMember far = Member("FAR.TXT", Bytes("abcd"));
  far.data_offset = 0xFFFFFFF0u;
  WadMember edge = Member("EDGE.TXT", Bytes("abcd"));
  WadMember wrapping = Member("WRAP.TXT", Bytes("abcd"));
  wrapping.compressed_size = 0xFFFFFFFFu;
  auto archive = test::BuildWad(
      {Member("FOURTEENCHARS!", Bytes("abcd")), far, edge, wrapping, Member("GOOD.TXT", Bytes("good"))});
  // EDGE.TXT points 3 bytes before the end: its declared size does not fit.
  const auto edge_offset = static_cast<std::uint32_t>(archive.size() - 3);
  for (int i = 0; i < 4; ++i)
    archive[2 + 22 * 2 + 18 + i] = static_cast<std::uint8_t>(edge_offset >> (8 * i));

  const auto entries = ReadWadDirectory(archive);
  ASSERT_EQ(entries.size(), 5u);
  const WadEntryFault faults[] = {WadEntryFault::NameUnterminated, WadEntryFault::SizeOutside,
                                  WadEntryFault::SizeOutside, WadEntryFault::DataOutside,
                                  WadEntryFault::None};
  std::vector<std::uint8_t> buffer(4);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(entries[i].fault, faults[i]) << i;
    if (i == 4) break;
    EXPECT_TRUE(WadEntryBlock(archive, entries[i]).empty()) << i;
    EXPECT_EQ(DecodeWadEntry(archive, entries[i], buffer), -1) << i;
  }
  EXPECT_EQ(entries[0].name, "FOURTEENCHARS!");
  EXPECT_EQ(entries[0].size, 4u);
  EXPECT_EQ(entries[1].size, std::nullopt);
  EXPECT_EQ(entries[3].size, 4u) << "the declared size is shown when its 4 bytes are inside";
  EXPECT_EQ(WadEntryFaultText(entries[1], 500),
            "the entry's data offset 4294967280 lies outside the archive of 500 bytes");
  EXPECT_EQ(DecodeWadEntry(archive, entries[4], buffer), 4);
}

} // namespace
} // namespace kv
