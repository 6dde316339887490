// "Convert CEL to BMP" from its button to the BMP files on disk.
#include "e2e/harness.h"
#include "support/cel_builder.h"

namespace e2e {
namespace {

using kv::test::AsymmetricPicture;
using kv::test::BmpColour;
using kv::test::BmpIndexAt;
using kv::test::BmpU32;
using kv::test::TestPaletteColour;

class CelJourney : public Journey {
protected:
  // Presses "Convert CEL to BMP" and chooses both files of the working folder.
  void ChooseInputs(const std::string& cel, const std::string& pal, const std::string& shot = {}) {
    Press(GetDlgItem(main_, 226));
    HWND open = WaitForFileDialog(*target_, "the CEL open dialog");
    if (!shot.empty()) SaveScreenshot(open, Shot(shot + "-cel"));
    EXPECT_EQ(TextOf(open), "Select CEL file");
    ChooseFile(open, InFolder(cel));
    HWND palette = WaitForFileDialog(*target_, "the PAL open dialog");
    if (!shot.empty()) SaveScreenshot(palette, Shot(shot + "-pal"));
    EXPECT_EQ(TextOf(palette), "Select PAL color file");
    EXPECT_EQ(OfferedFileName(palette), "") << "the file box starts empty again";
    ChooseFile(palette, InFolder(pal));
  }

  // The next save dialog, which must offer `name`.
  HWND WaitForSave(const std::string& name) {
    HWND save = WaitForFileDialog(*target_, "the save dialog offering " + name);
    EXPECT_EQ(OfferedFileName(save), name);
    return save;
  }

  void Cancel(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, "the dialog to close");
  }

  // After the command: no dialog follows, and the menu stays.
  void ExpectNothingMoreShown() {
    Pause(300ms);
    SendMessageA(main_, WM_NULL, 0, 0);
    EXPECT_EQ(target_->TopLevelWindows(), std::vector<HWND>{main_});
    EXPECT_EQ(ChildrenOf(main_).size(), 5u);
  }

  std::size_t FilesIn() const {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(InFolder("*").c_str(), &found);
    std::size_t files = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++files;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
  }
};

TEST_F(CelJourney, ThreeImagesAreOfferedInOrderAndACancelledOneIsSkipped) {
  const kv::test::CelPicture pictures[] = {AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD", 2, 2),
                                           AsymmetricPicture("EF", 5, 3)};
  WriteBytes(InFolder("TITLE.CEL"), kv::test::BuildCel({pictures[0], pictures[1], pictures[2]}));
  WriteBytes(InFolder("GAME.PAL"), kv::test::TestPalette());
  ChooseInputs("TITLE.CEL", "GAME.PAL", "open");

  HWND first = WaitForSave("TITLE_AB.BMP");
  SaveScreenshot(first, Shot("save"));
  ChooseFile(first, InFolder("TITLE_AB.BMP"));
  Cancel(WaitForSave("TITLE_CD.BMP"));
  ChooseFile(WaitForSave("TITLE_EF.BMP"), InFolder("TITLE_EF.BMP"));
  ExpectNothingMoreShown();

  EXPECT_FALSE(ReadBytes(InFolder("TITLE_CD.BMP")).has_value());
  for (const int i : {0, 2}) {
    const kv::test::CelPicture& picture = pictures[i];
    SCOPED_TRACE(picture.name_record);
    const auto bmp = ReadBytes(InFolder("TITLE_" + picture.name_record + ".BMP"));
    ASSERT_TRUE(bmp.has_value());
    EXPECT_EQ(BmpU32(*bmp, 18), picture.width);
    EXPECT_EQ(static_cast<std::int32_t>(BmpU32(*bmp, 22)), -picture.height);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const std::uint8_t index = BmpIndexAt(*bmp, x, y);
        EXPECT_EQ(index, picture.pixels[static_cast<std::size_t>(y * picture.width + x)]);
        const kv::test::Rgb want = TestPaletteColour(index);
        EXPECT_EQ(BmpColour(*bmp, index), (kv::test::Rgb{static_cast<std::uint8_t>(want.red * 4),
                                                         static_cast<std::uint8_t>(want.green * 4),
                                                         static_cast<std::uint8_t>(want.blue * 4)}));
      }
    }
  }
}

TEST_F(CelJourney, AShortPaletteIsRefusedInABoxOwnedByTheMainWindow) {
  WriteBytes(InFolder("TITLE.CEL"), kv::test::BuildCel({AsymmetricPicture("AB", 3, 2)}));
  auto pal = kv::test::TestPalette();
  pal.pop_back();
  WriteBytes(InFolder("SHORT.PAL"), pal);
  ChooseInputs("TITLE.CEL", "SHORT.PAL");
  const MessageBoxView box = WaitForMessageBox(*target_, "the refusal of a 767-byte palette");
  SaveScreenshot(box.window, Shot("refused"));
  EXPECT_EQ(box.text, "Failed: *.PAL file size must be 768 bytes");
  EXPECT_EQ(box.caption, InFolder("SHORT.PAL"));
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  EXPECT_EQ(GetWindow(box.window, GW_OWNER), main_);
  Answer(box, IDOK);
  ExpectNothingMoreShown();
  EXPECT_EQ(FilesIn(), 2u);
}

TEST_F(CelJourney, ACelWithNoImagesWritesNothing) {
  WriteBytes(InFolder("EMPTY.CEL"), kv::test::BuildCel({}));
  WriteBytes(InFolder("GAME.PAL"), kv::test::TestPalette());
  ChooseInputs("EMPTY.CEL", "GAME.PAL");
  ExpectNothingMoreShown();
  EXPECT_EQ(FilesIn(), 2u);
}

} // namespace
} // namespace e2e
