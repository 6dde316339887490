// The sample game folder in the WAD viewer: SOUNDS.WAD opened, every entry
// extracted with the SFX conversion, and the speech clips checked as the WAV
// files that a player would open. The folder is made here by the same
// generator as `vorevuvo make-sample`.
#include "e2e/harness.h"
#include "sample/sample_folder.h"
#include "wad/wad_archive.h"

namespace e2e {
namespace {

using SampleJourney = Journey;

TEST_F(SampleJourney, SoundsWadExtractsToWavFilesOfTheClipsAndTheDamagedEntryAsStored) {
  Bytes sounds;
  for (const kv::SampleFile& file : kv::BuildSampleFolder()) {
    if (file.name == "SOUNDS.WAD") sounds = file.bytes;
    WriteBytes(InFolder(file.name), file.bytes);
  }
  const std::string out = InFolder("out");
  CreateDirectoryA(out.c_str(), nullptr);
  const std::vector<kv::SampleClip> clips = kv::SampleSpeechClips();
  const std::vector<kv::WadEntry> entries = kv::ReadWadDirectory(sounds);
  ASSERT_EQ(entries.size(), clips.size() + 4);

  Press(GetDlgItem(main_, 200));
  ChooseFile(WaitForFileDialog("the WAD viewer's open dialog"), InFolder("SOUNDS.WAD"));
  HWND list = nullptr;
  WaitUntil([&] { return (list = FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr)) != nullptr; },
            "the list of SOUNDS.WAD");
  Send(list, WM_NULL); // answered once the viewer's screen is complete
  const auto rows = ListRows(*target_, list);
  ASSERT_EQ(rows.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(rows[i].at(0), entries[i].name);
    EXPECT_EQ(rows[i].at(3), std::to_string(entries[i].size.value_or(0)));
  }
  Shot(main_, "opened");

  Press(GetDlgItem(main_, 204));
  ChooseFolder(*target_, target_->WaitForWindow(IsFolderChooser, "the folder chooser"), out);
  EXPECT_EQ(Acknowledge("the message about DAMAGED.DAT", "damaged").caption, "DAMAGED.DAT");
  EXPECT_EQ(Acknowledge("the count of files extracted", "extracted").text, std::to_string(entries.size()));

  for (const kv::SampleClip& clip : clips) {
    const std::string wav_name = clip.entry_name.substr(0, clip.entry_name.find('.')) + ".WAV";
    SCOPED_TRACE(wav_name);
    EXPECT_FALSE(ReadBytes(out + "\\" + clip.entry_name).has_value()) << "no raw clip beside its WAV";
    const auto wav = ReadBytes(out + "\\" + wav_name);
    ASSERT_TRUE(wav.has_value());
    ASSERT_EQ(wav->size(), 46 + clip.samples.size());
    EXPECT_EQ(std::string(wav->begin(), wav->begin() + 4), "RIFF");
    EXPECT_TRUE(std::equal(wav->begin() + 46, wav->end(), clip.samples.begin(), clip.samples.end()))
        << "the samples as the clip holds them";
  }
  ASSERT_EQ(entries.back().name, "DAMAGED.DAT");
  const auto stored = kv::WadEntryBlock(sounds, entries.back());
  EXPECT_EQ(ReadBytes(out + "\\DAMAGED.DAT"), Bytes(stored.begin(), stored.end()));
  const auto credits = ReadBytes(out + "\\CREDITS.TXT");
  ASSERT_TRUE(credits.has_value());
  EXPECT_EQ(std::string(credits->begin(), credits->begin() + 10), "SOUNDS.WAD");
}

} // namespace
} // namespace e2e
