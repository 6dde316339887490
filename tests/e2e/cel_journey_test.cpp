// "Convert CEL to BMP" from its button to the BMP files on disk.
#include "e2e/harness.h"
#include "support/cel_builder.h"

namespace e2e {
namespace {

using kv::test::AsymmetricPicture;

class CelJourney : public Journey {
protected:
  // Writes both files into the working folder, presses "Convert CEL to BMP"
  // and chooses them.
  void ChooseInputs(const Bytes& cel, const Bytes& pal, const std::string& shot = {}) {
    WriteBytes(InFolder("TITLE.CEL"), cel);
    WriteBytes(InFolder("GAME.PAL"), pal);
    Press(GetDlgItem(main_, 226));
    HWND open = WaitForFileDialog("the CEL open dialog");
    if (!shot.empty()) Shot(open, shot + "-cel");
    ChooseFile(open, InFolder("TITLE.CEL"));
    HWND palette = WaitForFileDialog("the PAL open dialog");
    if (!shot.empty()) Shot(palette, shot + "-pal");
    EXPECT_EQ(OfferedFileName(palette), "") << "the file box starts empty again";
    ChooseFile(palette, InFolder("GAME.PAL"));
  }

  // The next save dialog, which must offer `name`.
  HWND WaitForSave(const std::string& name) {
    HWND save = WaitForFileDialog("the save dialog offering " + name);
    EXPECT_EQ(OfferedFileName(save), name);
    return save;
  }
};

TEST_F(CelJourney, ThreeImagesAreOfferedInOrderAndACancelledOneIsSkipped) {
  const kv::test::CelPicture pictures[] = {AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD", 2, 2),
                                           AsymmetricPicture("EF", 5, 3)};
  ChooseInputs(kv::test::BuildCel({pictures[0], pictures[1], pictures[2]}), kv::test::TestPalette(), "open");
  HWND first = WaitForSave("TITLE_AB.BMP");
  Shot(first, "save");
  ChooseFile(first, InFolder("TITLE_AB.BMP"));
  Dismiss(WaitForSave("TITLE_CD.BMP"), IDCANCEL);
  ChooseFile(WaitForSave("TITLE_EF.BMP"), InFolder("TITLE_EF.BMP"));
  ExpectOnlyTheMenu();

  EXPECT_EQ(FilesIn(folder_), (Names{"GAME.PAL", "TITLE.CEL", "TITLE_AB.BMP", "TITLE_EF.BMP"}));
  // ImageMagick reads the written files back after the run (run-e2e.sh):
  // their size and every pixel's colour are listed for it here.
  const std::string referee = CurrentSettings().artifacts + "\\imagemagick";
  CreateDirectoryA(referee.c_str(), nullptr);
  std::string expected;
  for (const int i : {0, 2}) {
    const kv::test::CelPicture& picture = pictures[i];
    const std::string name = "TITLE_" + picture.name_record + ".BMP";
    const auto bmp = ReadBytes(InFolder(name));
    ASSERT_TRUE(bmp.has_value());
    WriteBytes(referee + "\\" + name, *bmp);
    expected += name + " size " + std::to_string(picture.width) + "x" + std::to_string(picture.height) + "\n";
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x) {
        const kv::test::Rgb colour =
            kv::test::TestPaletteColour(picture.pixels[static_cast<std::size_t>(y * picture.width + x)]);
        expected += name + " " + std::to_string(x) + "," + std::to_string(y) + ": (" +
                    std::to_string(colour.red * 4) + "," + std::to_string(colour.green * 4) + "," +
                    std::to_string(colour.blue * 4) + ")\n";
      }
    EXPECT_EQ(kv::test::BmpU32(*bmp, 18), picture.width);
    EXPECT_EQ(static_cast<std::int32_t>(kv::test::BmpU32(*bmp, 22)), -picture.height);
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        EXPECT_EQ(kv::test::BmpIndexAt(*bmp, x, y),
                  picture.pixels[static_cast<std::size_t>(y * picture.width + x)]);
  }
  WriteBytes(referee + "\\expected.txt", Bytes(expected.begin(), expected.end()));
}

TEST_F(CelJourney, AShortPaletteIsRefusedInABoxOwnedByTheMainWindow) {
  auto pal = kv::test::TestPalette();
  pal.pop_back();
  ChooseInputs(kv::test::BuildCel({AsymmetricPicture("AB", 3, 2)}), pal);
  const MessageBoxView box = WaitForMessageBox(*target_, "the refusal of a 767-byte palette");
  Shot(box.window, "refused");
  EXPECT_EQ(box.text, "Failed: *.PAL file size must be 768 bytes");
  EXPECT_EQ(GetWindow(box.window, GW_OWNER), main_);
  Dismiss(box.window, IDOK);
  ExpectOnlyTheMenu();
  EXPECT_EQ(FilesIn(folder_).size(), 2u);
}

TEST_F(CelJourney, ACelWithNoImagesWritesNothing) {
  ChooseInputs(kv::test::BuildCel({}), kv::test::TestPalette());
  ExpectOnlyTheMenu();
  EXPECT_EQ(FilesIn(folder_).size(), 2u);
}

} // namespace
} // namespace e2e
