// "Decompress Non-WAD File" from its button to the written file.
#include "e2e/harness.h"

namespace e2e {
namespace {

// Size 4; literal mode 0; 6 dictionary bits; literals A and B, a copy of
// length 2 at distance 2, the end code.
const Bytes kWorkedExample = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
const Bytes kAbab = {'A', 'B', 'A', 'B'};

class DecompressJourney : public Journey {
protected:
  // Writes `bytes` as `name` of the working folder, presses "Decompress
  // Non-WAD File" and chooses that file.
  void DecompressFrom(const std::string& name, const Bytes& bytes, const std::string& shot = {}) {
    WriteBytes(InFolder(name), bytes);
    Press(GetDlgItem(main_, 202));
    HWND open = WaitForFileDialog("the open dialog of \"Decompress Non-WAD File\"");
    if (!shot.empty()) Shot(open, shot);
    ChooseFile(open, InFolder(name));
  }

  // Saves into `name` of the working folder; the success box follows.
  void SaveAs(const std::string& name, const std::string& shot = {}) {
    HWND save = WaitForFileDialog("the save dialog");
    if (!shot.empty()) Shot(save, shot);
    ChooseFile(save, InFolder(name));
    Acknowledge("\"Decompression Success\"", shot.empty() ? shot : shot + "-done");
  }
};

TEST_F(DecompressJourney, TheWorkedExampleBecomesAFourByteFileHoldingAbab) {
  DecompressFrom("example.bin", kWorkedExample, "open-dialog");
  SaveAs("abab.out", "save-dialog");
  EXPECT_EQ(ReadBytes(InFolder("abab.out")), kAbab);
  EXPECT_EQ(ReadBytes(InFolder("example.bin")), kWorkedExample) << "the input was changed";
  ExpectOnlyTheMenu();
}

TEST_F(DecompressJourney, ADamagedBlockIsRefusedWithoutASaveDialog) {
  DecompressFrom("cut.bin", Bytes(kWorkedExample.begin(), kWorkedExample.end() - 2));
  EXPECT_EQ(Acknowledge("the failure", "decompression-failed").caption, "cut.bin");
  ExpectOnlyTheMenu();
  EXPECT_EQ(FilesIn(folder_), Names{"cut.bin"});
}

TEST_F(DecompressJourney, AWadFileIsRefusedBeforeItIsRead) {
  const std::string path = InFolder("DATA.Wad");
  WriteBytes(path, kWorkedExample);
  // Held open with no sharing: any attempt to read it would fail and say so.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Press(GetDlgItem(main_, 202));
  ChooseFile(WaitForFileDialog("the open dialog"), path);
  const MessageBoxView box = Acknowledge("the refusal of a *.WAD file", "refused");
  CloseHandle(held);
  EXPECT_EQ(box.text, "Error: can not be used on a *.WAD file");
  ExpectOnlyTheMenu();
}

TEST_F(DecompressJourney, DataThatDoNotLookCompressedAreCopiedOnYesAndDecodedOnNo) {
  // Dictionary bits 4: valid, but not the mark of compressed data. Its one
  // copy has length 2, whose distance takes 2 low bits whatever the bits say.
  Bytes plain = kWorkedExample;
  plain[5] = 4;
  for (const int answer : {IDYES, IDNO}) {
    DecompressFrom("plain.bin", plain);
    const MessageBoxView question = WaitForMessageBox(*target_, "the question whether to skip decompression");
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    if (answer == IDYES) Shot(question.window, "question");
    Dismiss(question.window, answer);
    SaveAs(answer == IDYES ? "copy.out" : "decoded.out");
  }
  EXPECT_EQ(ReadBytes(InFolder("copy.out")), plain);
  EXPECT_EQ(ReadBytes(InFolder("decoded.out")), kAbab);
  ExpectOnlyTheMenu();
}

} // namespace
} // namespace e2e
