// "Decompress Non-WAD File" from its button to the written file.
#include "e2e/harness.h"

namespace e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Size 4; literal mode 0; 6 dictionary bits; literals A and B, a copy of
// length 2 at distance 2, the end code.
const Bytes kWorkedExample = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
const Bytes kAbab = {'A', 'B', 'A', 'B'};

Bytes WithByte(Bytes bytes, std::size_t offset, std::uint8_t value) {
  bytes[offset] = value;
  return bytes;
}

class DecompressJourney : public Journey {
protected:
  HWND MenuButton() { return GetDlgItem(main_, 202); }

  // Presses "Decompress Non-WAD File" and chooses `name` of the working folder.
  void DecompressFrom(const std::string& name, const std::string& shot = {}) {
    Press(MenuButton());
    HWND open = WaitForFileDialog(*target_, "the open dialog of \"Decompress Non-WAD File\"");
    if (!shot.empty()) SaveScreenshot(open, Shot(shot));
    ChooseFile(open, InFolder(name));
  }

  // Saves into `name` of the working folder and expects the success box.
  void SaveAs(const std::string& name, const std::string& offered, const std::string& shot = {}) {
    HWND save = WaitForFileDialog(*target_, "the save dialog");
    EXPECT_EQ(ToLowerAscii(OfferedFileName(save)).find(ToLowerAscii(offered)) != std::string::npos, true)
        << "the save dialog offers \"" << OfferedFileName(save) << "\", not the input " << offered;
    if (!shot.empty()) SaveScreenshot(save, Shot(shot));
    ChooseFile(save, InFolder(name));
    const MessageBoxView done = WaitForMessageBox(*target_, "\"Decompression Success\"");
    if (!shot.empty()) SaveScreenshot(done.window, Shot(shot + "-done"));
    EXPECT_EQ(done.text, "Decompression Success");
    EXPECT_EQ(done.caption, name);
    EXPECT_EQ(done.buttons, std::vector<int>{IDOK});
    Answer(done, IDOK);
  }

  // After a refusal or failure: no dialog follows, and the menu stays.
  void ExpectNothingMoreShown() {
    Pause(300ms);
    SendMessageA(main_, WM_NULL, 0, 0);
    EXPECT_EQ(target_->TopLevelWindows(), std::vector<HWND>{main_});
    EXPECT_EQ(ChildrenOf(main_).size(), 5u);
  }

  static std::string ToLowerAscii(std::string text) {
    for (char& c : text)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

TEST_F(DecompressJourney, TheWorkedExampleBecomesAFourByteFileHoldingAbab) {
  WriteBytes(InFolder("example.bin"), kWorkedExample);
  DecompressFrom("example.bin", "open-dialog");
  SaveAs("abab.out", "example.bin", "save-dialog");
  EXPECT_EQ(ReadBytes(InFolder("abab.out")), kAbab);
  EXPECT_EQ(ReadBytes(InFolder("example.bin")), kWorkedExample) << "the input was changed";
  ExpectNothingMoreShown();
  SaveScreenshot(main_, Shot("menu-after"));
}

TEST_F(DecompressJourney, DamagedBlocksAreRefusedWithoutASaveDialog) {
  struct Case {
    const char* name;
    Bytes bytes;
    const char* text;
  };
  const Case cases[] = {
      {"cut.bin", Bytes(kWorkedExample.begin(), kWorkedExample.begin() + 10), "Decompression Failed"},
      {"badmode.bin", WithByte(kWorkedExample, 4, 2), "Decompression Failed"},
      {"toolarge.bin", WithByte(kWorkedExample, 2, 1), "Failed: unexpected value as decompressed size"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(InFolder(c.name), c.bytes);
    DecompressFrom(c.name);
    const MessageBoxView box = WaitForMessageBox(*target_, c.text);
    if (&c == &cases[0]) SaveScreenshot(box.window, Shot("decompression-failed"));
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, c.name);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    Answer(box, IDOK);
    ExpectNothingMoreShown();
  }
}

TEST_F(DecompressJourney, AWadFileIsRefusedBeforeItIsRead) {
  for (const char* name : {"data.wad", "DATA.Wad"}) {
    SCOPED_TRACE(name);
    const std::string path = InFolder(name);
    WriteBytes(path, kWorkedExample);
    {
      // Held open with no sharing: any attempt to read it would fail and say so.
      struct Closer {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
      };
      std::unique_ptr<void, Closer> held(
          CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
      DecompressFrom(name);
      const MessageBoxView box = WaitForMessageBox(*target_, "the refusal of a *.WAD file");
      if (name[0] == 'd') SaveScreenshot(box.window, Shot("refused"));
      EXPECT_EQ(box.text, "Error: can not be used on a *.WAD file");
      EXPECT_EQ(box.caption, path);
      EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
      Answer(box, IDOK);
      ExpectNothingMoreShown();
    }
  }
}

TEST_F(DecompressJourney, DataThatDoNotLookCompressedAreCopiedOnYesAndDecodedOnNo) {
  // Dictionary bits 4: valid, but not the mark of compressed data. Its one
  // copy has length 2, whose distance takes 2 low bits whatever the bits say.
  const Bytes plain = WithByte(kWorkedExample, 5, 4);
  WriteBytes(InFolder("plain.bin"), plain);

  DecompressFrom("plain.bin");
  MessageBoxView question = WaitForMessageBox(*target_, "the question whether to skip decompression");
  SaveScreenshot(question.window, Shot("question"));
  EXPECT_EQ(question.text, "Data doesn't appear to be compressed\n Skip Decompression?");
  EXPECT_EQ(question.caption, "plain.bin");
  EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(question, IDYES);
  SaveAs("copy.out", "plain.bin");
  EXPECT_EQ(ReadBytes(InFolder("copy.out")), plain);

  DecompressFrom("plain.bin");
  question = WaitForMessageBox(*target_, "the question whether to skip decompression");
  Answer(question, IDNO);
  SaveAs("decoded.out", "plain.bin");
  EXPECT_EQ(ReadBytes(InFolder("decoded.out")), kAbab);
  ExpectNothingMoreShown();
}

} // namespace
} // namespace e2e
