// The sample game folder in the WAD viewer: SOUNDS.WAD opened, every entry
// extracted with the SFX conversion, and the speech clips checked as the WAV
// files that a player would open. The folder is made here by the same
// generator as `vorevuvo make-sample`.
#include "e2e/harness.h"

#include <commctrl.h>

#include "sample/sample_folder.h"
#include "wad/wad_archive.h"

namespace e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
  return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
         static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

std::uint32_t U16At(const Bytes& bytes, std::size_t at) {
  return bytes.at(at) | bytes.at(at + 1) << 8;
}

std::string TextAt(const Bytes& bytes, std::size_t at, std::size_t size) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
          bytes.begin() + static_cast<std::ptrdiff_t>(at + size)};
}

class SampleJourney : public Journey {
protected:
  // Writes the whole sample folder into the working folder.
  void MakeSample() {
    for (const kv::SampleFile& file : kv::BuildSampleFolder()) {
      if (file.name == "SOUNDS.WAD") sounds_ = file.bytes;
      WriteBytes(InFolder(file.name), file.bytes);
    }
  }

  HWND OpenInViewer(const std::string& name) {
    Press(GetDlgItem(main_, 200));
    HWND open = WaitForFileDialog(*target_, "the WAD viewer's open dialog");
    ChooseFile(open, InFolder(name));
    HWND list = nullptr;
    WaitUntil(
        [&] {
          for (HWND child : ChildrenOf(main_))
            if (ClassOf(child) == WC_LISTVIEWA) list = child;
          return list != nullptr && ListRowCount(list) > 0;
        },
        "the list of " + name);
    return list;
  }

  Bytes sounds_;
};

TEST_F(SampleJourney, SoundsWadExtractsToWavFilesOfTheClipsAndTheDamagedEntryAsStored) {
  MakeSample();
  const std::vector<kv::SampleClip> clips = kv::SampleSpeechClips();
  const std::vector<kv::WadEntry> entries = kv::ReadWadDirectory(sounds_);
  ASSERT_EQ(entries.size(), clips.size() + 4);

  HWND list = OpenInViewer("SOUNDS.WAD");
  const auto rows = ListRows(*target_, list);
  ASSERT_EQ(rows.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(rows[i].at(0), entries[i].name);
    EXPECT_EQ(rows[i].at(3), std::to_string(entries[i].size.value_or(0)));
  }
  SaveScreenshot(main_, Shot("opened"));
  ASSERT_TRUE(IsChecked(GetDlgItem(main_, 203))) << "\"Convert SFX to WAV when extracting\" starts checked";

  const std::string out = InFolder("out");
  CreateDirectoryA(out.c_str(), nullptr);
  Press(GetDlgItem(main_, 204));
  ChooseFolder(*target_, WaitForFolderChooser(*target_, "the output folder"), out);

  const MessageBoxView damaged = WaitForMessageBox(*target_, "the message about DAMAGED.DAT");
  SaveScreenshot(damaged.window, Shot("damaged"));
  EXPECT_EQ(damaged.caption, "DAMAGED.DAT");
  EXPECT_EQ(damaged.text, "Decompression Failed\n Extracting file \"as is\" ");
  Answer(damaged, IDOK);
  const MessageBoxView done = WaitForMessageBox(*target_, "the count of files extracted");
  SaveScreenshot(done.window, Shot("extracted"));
  EXPECT_EQ(done.caption, "Files Extracted");
  EXPECT_EQ(done.text, std::to_string(entries.size()));
  Answer(done, IDOK);

  for (const kv::SampleClip& clip : clips) {
    const std::string wav_name = clip.entry_name.substr(0, clip.entry_name.find('.')) + ".WAV";
    SCOPED_TRACE(wav_name);
    EXPECT_FALSE(ReadBytes(out + "\\" + clip.entry_name).has_value()) << "no raw clip beside its WAV";
    const auto wav = ReadBytes(out + "\\" + wav_name);
    ASSERT_TRUE(wav.has_value());
    const auto n = static_cast<std::uint32_t>(clip.samples.size());
    ASSERT_EQ(wav->size(), 46 + n);
    EXPECT_EQ(TextAt(*wav, 0, 4), "RIFF");
    EXPECT_EQ(U32At(*wav, 4), n + 38);
    EXPECT_EQ(TextAt(*wav, 8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(*wav, 16), 18u);
    EXPECT_EQ(U16At(*wav, 20), 1u) << "PCM";
    EXPECT_EQ(U16At(*wav, 22), 1u) << "mono";
    EXPECT_EQ(U32At(*wav, 24), 11025u);
    EXPECT_EQ(U32At(*wav, 28), 11025u);
    EXPECT_EQ(U16At(*wav, 32), 1u);
    EXPECT_EQ(U16At(*wav, 34), 8u);
    EXPECT_EQ(U16At(*wav, 36), 0u);
    EXPECT_EQ(TextAt(*wav, 38, 4), "data");
    EXPECT_EQ(U32At(*wav, 42), n);
    EXPECT_TRUE(std::equal(wav->begin() + 46, wav->end(), clip.samples.begin(), clip.samples.end()))
        << "the samples as the clip holds them";
  }

  const kv::WadEntry& broken = entries.back();
  ASSERT_EQ(broken.name, "DAMAGED.DAT");
  const auto stored = kv::WadEntryBlock(sounds_, broken);
  EXPECT_EQ(ReadBytes(out + "\\DAMAGED.DAT"), Bytes(stored.begin(), stored.end()));
  const auto credits = ReadBytes(out + "\\CREDITS.TXT");
  ASSERT_TRUE(credits.has_value());
  EXPECT_EQ(TextAt(*credits, 0, 10), "SOUNDS.WAD");
  SaveScreenshot(main_, Shot("after"));
}

} // namespace
} // namespace e2e
