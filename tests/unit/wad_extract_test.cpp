#include <filesystem>

#include <gtest/gtest.h>

#include "core/implode.h"
#include "media/wav.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"
#include "wad/current_wad.h"
#include "wad/wad_extract.h"

namespace kv {
namespace {

using test::BlockWithSize;
using test::Bytes;
using test::Member;
using test::ReadBytes;
using test::StoredMember;

const char* const kAsIs = "Decompression Failed\n Extracting file \"as is\" ";

std::vector<std::uint8_t> Samples(std::size_t n) {
  std::vector<std::uint8_t> samples(n);
  for (std::size_t i = 0; i < n; ++i)
    samples[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return samples;
}

// A block that decodes to exactly `data`, however short.
std::vector<std::uint8_t> ShortBlock(const std::string& data) {
  return BlockWithSize(static_cast<std::uint32_t>(data.size()), ImplodeStream(Bytes(data)));
}

// Literal mode 7 does not exist: this stream never decodes.
const std::vector<std::uint8_t> kFaultyStream = {0x07, 0x06, 0x00, 0x00};

void Hold(const std::vector<std::uint8_t>& archive) {
  LoadedFile file(static_cast<std::uint32_t>(archive.size()));
  std::copy(archive.begin(), archive.end(), file.data());
  SetCurrentWad(std::move(file), "TEST.WAD");
}

class WadExtractTest : public ::testing::Test {
protected:
  WadExtractTest() { std::filesystem::current_path(dir.path()); }
  ~WadExtractTest() override { ReleaseCurrentWad(); }

  std::string Extract(const std::vector<std::uint8_t>& archive, std::string name,
                      ExtractSettings settings = {}, bool expected = true) {
    EXPECT_EQ(ExtractFromWad(archive, name, settings), expected) << name;
    return name;
  }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }

  test::ScriptedUi ui;
  test::TempDir dir;
  test::CurrentDirectoryGuard guard;
};

TEST_F(WadExtractTest, ReadFromWadAnswersSizesWithoutDecodingAndTellsFailedDecodes) {
  const auto abab = test::AbabArchive();
  std::vector<std::uint8_t> buffer(900);
  EXPECT_EQ(ReadFromWad(abab, "abab.txt", buffer), 4u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 4), "ABAB");
  EXPECT_EQ(ReadFromWad(abab, "ABAB", buffer), 0u);
  EXPECT_TRUE(ui.messages.empty()) << "an absent entry is not told";

  const auto archive = test::BuildWad(
      {StoredMember("BAD.SFX", BlockWithSize(900, kFaultyStream)), StoredMember("ONE", ShortBlock("a")),
       StoredMember("TWO", ShortBlock("ab")), StoredMember("THREE", ShortBlock("abc"))});
  EXPECT_EQ(ReadFromWad(archive, "bad.sfx"), 900u);
  EXPECT_TRUE(ui.messages.empty());
  for (const char* name : {"bad.sfx", "one", "two", "three"}) {
    EXPECT_EQ(ReadFromWad(archive, name, buffer), 0u) << name;
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Abort: Decompression Failed");
    EXPECT_EQ(ui.messages.back().caption, name);
  }
}

TEST_F(WadExtractTest, EntriesAreWrittenDecodedAndSfxBecomesWavUnderTheChangedName) {
  for (const bool convert : {true, false}) {
    EXPECT_EQ(Extract(test::AbabArchive(), "ABAB.TXT", {Overwrite, convert}), "ABAB.TXT");
    EXPECT_EQ(ReadBytes(dir.File("ABAB.TXT")), Bytes("ABAB"));
  }
  const auto samples = Samples(1001);
  const auto archive = test::BuildWad({Member("DRUM.SFX", samples), Member("A.B.SFX", samples)});
  EXPECT_EQ(Extract(archive, "drum.sfx"), "drum.WAV");
  EXPECT_EQ(ReadBytes(dir.File("drum.WAV")), *MakeWavImage(samples));

  EXPECT_EQ(Extract(archive, "DRUM.SFX", {Ask, false}), "DRUM.SFX");
  EXPECT_EQ(ReadBytes(dir.File("DRUM.SFX")), samples);
  EXPECT_EQ(Extract(archive, "A.B.SFX"), "A.B.SFX") << "only the text after the first '.' decides";
  Extract(archive, "NOPE.TXT", {}, false);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WadExtractTest, EveryDuplicateIsWrittenAndTheWalkFollowsTheRenamedName) {
  const auto twice =
      test::BuildWad({Member("TWICE.TXT", Bytes("first")), Member("twice.txt", Bytes("second"))});
  Extract(twice, "TWICE.TXT", {Skip, true}, false); // the result is that of the last write
  EXPECT_EQ(ReadBytes(dir.File("TWICE.TXT")), Bytes("first"));
  ui.Answer(platform::kAnswerNo);
  ui.Answer(platform::kAnswerYes);
  Extract(twice, "TWICE.TXT", {Ask, true});
  EXPECT_EQ(ui.messages.size(), 2u) << "each record meets the file under the mode";
  EXPECT_EQ(ReadBytes(dir.File("TWICE.TXT")), Bytes("second"));

  // The first KICK.SFX becomes KICK.WAV; the walk then looks for KICK.WAV, so
  // the second KICK.SFX is passed over and the entry KICK.WAV replaces the file.
  const auto kicks = test::BuildWad({Member("KICK.SFX", Samples(10)), Member("KICK.SFX", Samples(20)),
                                     Member("KICK.WAV", Bytes("a wav entry"))});
  EXPECT_EQ(Extract(kicks, "KICK.SFX", {Overwrite, true}), "KICK.WAV");
  EXPECT_EQ(ReadBytes(dir.File("KICK.WAV")), Bytes("a wav entry"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "KICK.SFX"));
}

TEST_F(WadExtractTest, FailedDecodesAreWrittenAsStoredWithoutConversion) {
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
      {"BIG.SFX", BlockWithSize(70000, ImplodeStream(Bytes("abcd")))},
      {"BAD.SFX", BlockWithSize(100, kFaultyStream)},
      {"HUGE.SFX", BlockWithSize(0xFFFFFFFFu, kFaultyStream)},
      {"ONE.SFX", ShortBlock("a")},
      {"THREE.SFX", ShortBlock("abc")}};
  std::vector<test::WadMember> members;
  for (const auto& [name, stored] : cases)
    members.push_back(StoredMember(name, stored));
  const auto archive = test::BuildWad(members);
  for (const auto& [name, stored] : cases) {
    EXPECT_EQ(Extract(archive, name), name);
    EXPECT_EQ(ReadBytes(dir.File(name)), stored) << name;
    EXPECT_EQ(ui.messages.back().text, kAsIs);
    EXPECT_EQ(ui.messages.back().caption, name);
  }
  EXPECT_EQ(ui.messages.size(), cases.size());
}

TEST_F(WadExtractTest, EntriesOutsideTheFileOrWithUnsafeNamesAreToldAndNotWritten) {
  test::WadMember outside = Member("OUT.TXT", Bytes("lost"));
  outside.data_offset = 5000;
  const auto archive =
      test::BuildWad({outside, Member("CON", Bytes("dev!")), Member("..\\UP.TXT", Bytes("up!!")),
                      Member("../UP.TXT", Bytes("up!!")), Member("NUL.SFX", Samples(8)),
                      Member("TRAIL.", Bytes("dot!")), Member("FOURTEENCHARS!", Bytes("long"))});
  Extract(archive, "OUT.TXT", {}, false);
  EXPECT_EQ(ui.messages.back().caption, "OUT.TXT");
  EXPECT_EQ(
      ui.messages.back().text.rfind("Failed: the entry's data offset 5000 lies outside the archive of ", 0),
      0u);
  EXPECT_NE(ui.messages.back().text.find("; nothing was written"), std::string::npos);
  Extract(archive, "FOURTEENCHARS!", {}, false);
  EXPECT_NE(ui.messages.back().text.find("no terminating zero"), std::string::npos);
  EXPECT_EQ(ReadFromWad(archive, "out.txt"), 0u);
  EXPECT_EQ(ui.messages.back().text.rfind("Abort: the entry's data offset 5000", 0), 0u);

  for (const char* name : {"CON", "..\\UP.TXT", "../UP.TXT", "nul.sfx", "TRAIL."}) {
    EXPECT_EQ(Extract(archive, name, {}, false), name);
    EXPECT_EQ(ui.messages.back().caption, name);
    EXPECT_EQ(ui.messages.back().text.rfind("Refused: ", 0), 0u) << ui.messages.back().text;
  }
  EXPECT_EQ(ui.messages.size(), 8u);
  EXPECT_EQ(FilesInDir(), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "UP.TXT"));
}

TEST_F(WadExtractTest, ExtractAllCountsWrittenRowsAndGoesOnPastRefusals) {
  std::string name = "ABAB.TXT";
  EXPECT_FALSE(ExtractFromWad(name, {})) << "no archive is held";
  Hold(test::BuildWad(
      {Member("CON", Bytes("dev!")), Member("ABAB.TXT", Bytes("ABAB")), Member("D.SFX", Samples(9))}));
  test::TempDir out;
  ui.ChooseFolder(out.path().string());
  EXPECT_EQ(ExtractAllRows(nullptr, std::vector<std::string>{"CON", "ABAB.TXT", "D.SFX"}, {}), 2);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption, "CON");
  EXPECT_EQ(ui.messages[1].text, "2");
  EXPECT_EQ(ui.messages[1].caption, "Files Extracted");
  EXPECT_TRUE(std::filesystem::exists(out.path() / "D.WAV"));

  EXPECT_EQ(ExtractAllRows(nullptr, {}, {}), 0);
  EXPECT_EQ(ui.messages.back().text, "No WAD file loaded");
  EXPECT_EQ(ui.messages.back().caption, "ExtractAll()");
  EXPECT_EQ(ui.folder_instructions.size(), 1u) << "no folder is asked for without rows";
  ui.ChooseFolder("");
  EXPECT_EQ(ExtractAllRows(nullptr, std::vector<std::string>{"ABAB.TXT"}, {}), 0);
  EXPECT_EQ(ui.messages.size(), 3u) << "a cancelled chooser ends quietly";
}

TEST_F(WadExtractTest, ExtractSelectionAsksForAFolderFirstAndSaysWhenNothingWasWritten) {
  Hold(test::AbabArchive());
  const std::vector<std::string> selected = {"ABAB.TXT"};
  for (const auto& [rows, expected] : std::vector<std::pair<std::vector<std::string>, const char*>>{
           {{}, "There are no selections"}, {selected, "1"}, {selected, "There are no selections"}}) {
    ui.ChooseFolder(dir.path().string());
    ExtractSelectedRows(nullptr, rows, {Skip, true});
    EXPECT_EQ(ui.messages.back().text, expected);
    EXPECT_EQ(ui.messages.back().caption,
              rows.empty() || expected[0] == 'T' ? "ExtractSelection()" : "Files Extracted");
  }
}

} // namespace
} // namespace kv
