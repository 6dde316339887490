// Sounds and pictures: WAV images and their playback; CEL files read,
// written, turned into BMP files and converted by the command. The BMP layout
// of every image size is checked by the fuzz target; ImageMagick referees it
// here.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "media/cel_image.h"
#include "media/cel_to_bmp.h"
#include "media/cel_writer.h"
#include "media/sound_clip.h"
#include "media/wav.h"
#include "platform/host/host_ui.h"
#include "support/cel_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

const Bytes kPalette = TestPalette();

Bytes Convert(const Bytes& cel, std::size_t index, const Bytes& pal = kPalette) {
  return BuildBmp(cel, ReadCel(cel).images.at(index), Palette(pal.data(), kPalSize));
}

// One 3 x 2 image named AB, as the format notes draw it, and its BMP.
TEST(CelImage, TheFormatNotesExampleIsWrittenAndGivesATopDownBmpWithPaddedRows) {
  const Bytes cel = {0, 0, 0, 0, 1, 0, 'A', 'B', ' ', ' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0, 3, 0, 2,
                     0, 0, 0, 0, 0, 0, 0,   0,   0,   0,   0,   0,   0,   0,   0, 1, 2, 3, 4, 5, 6};
  const CelImageInput pictures[] = {{"AB", 3, 2, {1, 2, 3, 4, 5, 6}}};
  EXPECT_EQ(BuildCelFile(pictures).bytes, cel);
  EXPECT_EQ(BuildCelFile({}).bytes, Bytes(6, 0));
  const Bytes bmp = Convert(cel, 0);
  const Bytes headers = {'B', 'M', 0x3E, 4, 0,    0,    0,    0,    0, 0, 0x36, 4, 0, 0, 40, 0, 0, 0,
                         3,   0,   0,    0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 8,    0, 0, 0, 0,  0, 0, 0,
                         0,   0,   0,    0, 0,    0,    0,    0,    0, 0, 0,    0, 0, 0, 0,  0, 0, 0};
  EXPECT_EQ(Bytes(bmp.begin(), bmp.begin() + 54), headers);
  EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
  // Palette values are shifted within their byte, in blue, green, red order.
  Bytes pal = {64, 63, 255, 37, 1}; // entry 0 out of range; entry 1 red 37, green 1
  pal.resize(768);
  const Bytes shifted = Convert(cel, 0, pal);
  EXPECT_EQ(Bytes(shifted.begin() + 54, shifted.begin() + 62), (Bytes{252, 252, 0, 0, 0, 4, 148, 0}));
  EXPECT_EQ(BmpFileSize(65535, 65535), 1078u + 65536u * 65535u) << "the largest image fits 32 bits";
}

TEST(CelImage, NamesEndAtTheSeventhByteAZeroOrASpaceAfterTextAndBecomePlainFileNames) {
  const std::pair<std::string, std::string> names[] = {{"AB  CD  ", "AB"},
                                                       {"ABCDEFGH", "ABCDEFG"},
                                                       {" AB     ", " AB"},
                                                       {std::string("AB\0CD   ", 8), "AB"},
                                                       {std::string("\0BCDEFGH", 8), ""},
                                                       {"        ", "       "}};
  for (const auto& [record, name] : names)
    EXPECT_EQ(CelImageName(
                  std::span<const std::uint8_t, 8>(reinterpret_cast<const std::uint8_t*>(record.data()), 8)),
              name);
  const std::pair<const char*, const char*> bases[] = {{"C:\\ART\\TITLE.CEL", "TITLE"},
                                                       {"/art/a.b.CEL", "a.b"},
                                                       {"TITLE", "TITLE"},
                                                       {"TITLE.", "TITLE."},
                                                       {"dir.v2/TITLE", "TITLE"},
                                                       {".CEL", ""}};
  for (const auto& [path, base] : bases)
    EXPECT_EQ(CelBaseName(path), base) << path;
  EXPECT_EQ(SuggestedBmpName("TITLE", " AB"), "TITLE_ AB.BMP");
  EXPECT_EQ(SuggestedBmpName("a:b", "\\/*?\"<>"), "a_b________.BMP");
  EXPECT_EQ(SuggestedBmpName("T", "|\x01\x1F\x7F\xC9"), "T_____\xC9.BMP") << "bytes above 127 are letters";
}

// Tables past the end refuse the file; an image past the end is marked and
// the others stay usable. Every other damage, the empty BMP of an image
// that is not whole, and reads past the end of any cut, are the fuzz target's.
TEST(CelImage, AFileTooShortForItsTablesIsRefusedWholeAndAnImagePastTheEndAlone) {
  const Bytes two = BuildCel({AsymmetricPicture("A", 3, 2), AsymmetricPicture("B", 2, 2)});
  Bytes huge_count = two;
  huge_count[4] = huge_count[5] = 0xFF;
  // Too short for the count, for the tables by one byte, for 65535 images.
  for (const Bytes& refused :
       {Bytes(two.begin(), two.begin() + 5), Bytes(two.begin(), two.begin() + 6 + 12 * 2 - 1), huge_count})
    EXPECT_NE(ReadCel(refused).status, CelContents::Ok) << refused.size();
  const CelContents cut = ReadCel(Bytes(two.begin(), two.end() - 1));
  ASSERT_EQ(cut.images.size(), 2u);
  EXPECT_EQ(cut.images[1].status, CelImage::BeyondEnd);
  EXPECT_EQ(Convert(Bytes(two.begin(), two.end() - 1), 0), Convert(two, 0));
}

// ImageMagick as an independent reader: every pixel of an odd-width image,
// by position and colour.
TEST(CelImage, ImageMagickReadsTheBmpAsBuilt) {
  ASSERT_EQ(std::system("convert -version > /dev/null 2>&1"), 0)
      << "ImageMagick's convert is needed to check the BMP files: install imagemagick";
  TempDir dir;
  const CelPicture picture = AsymmetricPicture("W", 5, 3);
  WriteBytes(dir.File("w.bmp"), Convert(BuildCel({picture}), 0));
  const std::string command = "convert '" + dir.File("w.bmp") + "' rgb:-";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  Bytes expected, read(64);
  for (const std::uint8_t index : picture.pixels) // each 6-bit value as 8 bits
    for (int colour = 0; colour < 3; ++colour)
      expected.push_back(static_cast<std::uint8_t>(kPalette[3 * index + colour] * 4));
  read.resize(std::fread(read.data(), 1, read.size(), pipe.get()));
  EXPECT_EQ(read, expected);
}

// Stands for the main window: only compared, never used.
const platform::WindowHandle kMainWindow = reinterpret_cast<platform::WindowHandle>(0x2260);

class CelToBmp : public ::testing::Test {
protected:
  // Runs the command on `cel` and `pal`, choosing `saves` in the save dialogs.
  void Run(const Bytes& cel, const std::vector<std::optional<std::string>>& saves,
           const Bytes& pal = kPalette) {
    WriteBytes(cel_path, cel);
    WriteBytes(pal_path, pal);
    ui.ChooseFile(cel_path);
    ui.ChooseFile(pal_path);
    for (const auto& save : saves)
      ui.ChooseFile(save ? std::optional(dir.File(*save)) : std::nullopt);
    cel_to_bmp(kMainWindow);
  }
  // Every file dialog shown, as "title|first filter|path", and forgets them.
  Strings Dialogs() {
    Strings shown;
    for (const DialogShown& d : ui.dialogs)
      shown.push_back(d.dialog.title + "|" + d.dialog.filters.at(0).pattern + "|" + d.dialog.path);
    ui.dialogs.clear();
    return shown;
  }

  TempDir dir;
  ScriptedUi ui;
  std::string cel_path = dir.File("TITLE.CEL");
  const std::string pal_path = dir.File("TITLE.PAL");
};

// Every image is offered in file order and a cancel skips only its own; a
// file refused or cancelled offers none. Damaged images are named once,
// names too long are skipped, and a failed write goes on with the next.
TEST_F(CelToBmp, EveryImageIsOfferedInFileOrderAndOnlyWhatCannotBeWrittenIsSkippedAndTold) {
  const Bytes three = BuildCel(
      {AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD  X", 1, 1), AsymmetricPicture("EF", 5, 4)});
  Run(three, {"one.bmp", std::nullopt, "three.bmp"});
  EXPECT_EQ(Dialogs(), (Strings{"Select CEL file|*.CEL|", "Select PAL color file|*.PAL|", "|*|TITLE_AB.BMP",
                                "|*|TITLE_CD.BMP", "|*|TITLE_EF.BMP"}));
  EXPECT_EQ(ReadBytes(dir.File("one.bmp")), Convert(three, 0));
  EXPECT_EQ(ReadBytes(dir.File("three.bmp")), Convert(three, 2));
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"TITLE.CEL", "TITLE.PAL", "one.bmp", "three.bmp"}));

  ui.ChooseFile(std::nullopt); // cancelled open dialogs
  cel_to_bmp(kMainWindow);
  ui.ChooseFile(cel_path);
  ui.ChooseFile(std::nullopt);
  cel_to_bmp(kMainWindow);
  Run(BuildCel({}), {});
  Run(three, {}, Bytes(769, 0)); // (one byte short: the command-line test)
  Run(Bytes(three.begin(), three.begin() + 20), {});
  EXPECT_EQ(Dialogs().size(), 1u + 4 * 2) << "only the open dialogs (CEL, then PAL): no image offered";
  for (const platform::MessageShown& message : ui.messages)
    EXPECT_EQ(message.owner, kMainWindow);
  EXPECT_EQ(ui.Told(), (Strings{pal_path + ": Failed: *.PAL file size must be 768 bytes",
                                cel_path + ": Failed: *.CEL file ends before its image tables"}));

  // Eleven images past the end, then four good ones, the first with a file
  // name too long: 250 + "_ABCDEFG.BMP" is 262 characters.
  std::vector<CelPicture> pictures(11, AsymmetricPicture("", 1, 1));
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    pictures[i].name_record = "N" + std::to_string(i);
    pictures[i].offset = 0xFFFFFF00u;
  }
  for (const char* name : {"ABCDEFG", "AB", "CD", "EF"})
    pictures.push_back(AsymmetricPicture(name, 2, 1));
  const Bytes cel = BuildCel(pictures);
  cel_path = dir.File(std::string(250, 'x') + ".CEL");
  WriteBytes(dir.File("old.bmp"), {1, 2, 3});
  Run(cel, {"missing/two.bmp", "old.bmp", "four.bmp"});
  EXPECT_EQ(
      ui.Told(),
      (Strings{cel_path + ": Skipped 11 of 15 images, which run past the end of the file: \"N0\", "
                          "\"N1\", \"N2\", \"N3\", \"N4\", \"N5\", \"N6\", \"N7\", \"N8\", \"N9\", ...",
               cel_path + ": Skipped image \"ABCDEFG\": its file name would be longer than 259 characters",
               "SaveFile(): No such file or directory"}));
  const std::string base = "|*|" + std::string(250, 'x');
  EXPECT_EQ(Dialogs(), (Strings{"Select CEL file|*.CEL|", "Select PAL color file|*.PAL|", base + "_AB.BMP",
                                base + "_CD.BMP", base + "_EF.BMP"}));
  EXPECT_EQ(ReadBytes(dir.File("old.bmp")), Convert(cel, 13)) << "replaced without a second question";
  EXPECT_EQ(ReadBytes(dir.File("four.bmp")), Convert(cel, 14));
}

TEST(Wav, AnOddSizedImageIsHeaderPlusSamplesWithNoPadByte) {
  const Bytes golden = {'R', 'I', 'F',  'F',  41, 0, 0, 0,    'W',  'A', 'V', 'E',  'f',
                        'm', 't', ' ',  18,   0,  0, 0, 1,    0,    1,   0,   0x11, 0x2B,
                        0,   0,   0x11, 0x2B, 0,  0, 1, 0,    8,    0,   0,   0,    'd',
                        'a', 't', 'a',  3,    0,  0, 0, 0x80, 0x00, 0xFF};
  EXPECT_EQ(MakeWavImage(Bytes{0x80, 0x00, 0xFF}), golden);
  EXPECT_EQ(MakeWavImage({})->size(), 46u);
}

// Sees each platform call and what is held at that moment: the platform
// reads an image while it sounds, so it may go only after it was stopped.
struct PlaybackProbe final : ScriptedUi {
  Strings calls;
  void OnPlayWav(std::span<const std::uint8_t> image) override {
    EXPECT_EQ(image.data(), PlayingClip().data()) << "plays the image it holds, not a copy";
    calls.push_back("play " + std::to_string(image.size()));
  }
  void OnStopSound() override { calls.push_back("stop, holding " + std::to_string(PlayingClip().size())); }
};

TEST(Wav, PlaySoundClipReleasesAnImageOnlyAfterStoppingIt) {
  PlaybackProbe probe;
  PlaySoundClip(std::nullopt);
  PlaySoundClip(MakeWavImage(Bytes(10, 0x80)));
  PlaySoundClip(MakeWavImage(Bytes(20, 0x80)));
  EXPECT_EQ(PlayingClip().size(), 66u);
  PlaySoundClip(std::nullopt);
  EXPECT_EQ(probe.calls, (Strings{"stop, holding 0", "stop, holding 0", "play 56", "stop, holding 56",
                                  "play 66", "stop, holding 66"}));
  EXPECT_TRUE(PlayingClip().empty());
}

} // namespace
} // namespace kv::test
