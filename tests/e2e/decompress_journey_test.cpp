// "Decompress Non-WAD File" from its button: each kind of input ends as the
// user is told, and nothing is written but the file the user chose. (The
// worked example goes through the system's dialogs in the program journey.)
#include <memory>

#include "e2e/harness.h"
#include "shell/shell.h"

namespace e2e {
namespace {

using DecompressJourney = Session;

TEST_F(DecompressJourney, DamagedWadAndUncompressedInputsEndAsTheUserIsTold) {
  // The worked example (decodes to ABAB) cut short, and with dictionary bits
  // 4: valid, but not the mark of compressed data. Its one copy has length 2,
  // whose distance takes 2 low bits whatever the bits say.
  WriteBytes(InFolder("cut.bin"), {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05});
  const Bytes plain = {0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
  WriteBytes(InFolder("plain.bin"), plain);
  WriteBytes(InFolder("DATA.Wad"), plain);
  // Held open with no sharing: any attempt to read it would fail and say so.
  const std::unique_ptr<void, decltype(&CloseHandle)> held(
      CreateFileA(InFolder("DATA.Wad").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      &CloseHandle);
  const std::string question = "plain.bin: Data doesn't appear to be compressed\n Skip Decompression?";
  struct Case {
    std::string input;
    std::optional<int> answer;
    std::string output;
    Names shown;
    std::optional<Bytes> written;
  };
  const Case cases[] = {
      {"cut.bin", {}, "", {"cut.bin: Decompression Failed"}, {}},
      {"DATA.Wad", {}, "", {InFolder("DATA.Wad") + ": Error: can not be used on a *.WAD file"}, {}},
      {"plain.bin", IDYES, "copy.out", {question, "copy.out: Decompression Success"}, plain},
      {"plain.bin", IDNO, "decoded.out", {question, "decoded.out: Decompression Success"}, kAbab},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input + " " + c.output);
    ui_.ChooseFile(InFolder(c.input));
    if (c.answer) ui_.Answer(*c.answer);
    if (!c.output.empty()) ui_.ChooseFile(InFolder(c.output));
    Click(kv::kCmdDecompressFile);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
    EXPECT_EQ(c.written ? ReadBytes(InFolder(c.output)) : std::nullopt, c.written);
  }
  EXPECT_EQ(FilesIn(folder_), (Names{"DATA.Wad", "copy.out", "cut.bin", "decoded.out", "plain.bin"}));
}

} // namespace
} // namespace e2e
