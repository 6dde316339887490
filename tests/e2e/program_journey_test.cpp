// What only the real program, started on its own, proves: its window and
// menu as it starts; a decompression and an extraction carried through the
// system's open and save dialogs, message boxes and folder chooser; input
// that a real box's modal loop hands to the main window while the
// extraction asks, held off; and the end with exit code 0 once a close asked
// for meanwhile is carried out.
#include "e2e/harness.h"
#include "support/wad_builder.h"

namespace e2e {
namespace {

using TheProgram = Journey;

TEST_F(TheProgram, StartsWorksThroughTheSystemsDialogsHoldsOffInputWhileItAsksAndEndsWithExitCodeZero) {
  // Size 4; literal mode 0; 6 dictionary bits; literals A and B, a copy of
  // length 2 at distance 2, the end code.
  WriteBytes(InFolder("example.bin"), {4, 0, 0, 0, 0, 6, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03});
  using kv::test::Member;
  WriteBytes(InFolder("TWO.WAD"), kv::test::BuildWad({Member("B.TXT", kAbab), Member("A.TXT", kAbab)}));
  // Made before the program starts: the folder chooser now and then misses a
  // folder made just before it opens.
  CreateDirectoryA(InFolder("out").c_str(), nullptr);
  WriteBytes(InFolder("out\\B.TXT"), {'o', 'l', 'd'});
  Program program(folder_);
  HWND main = program.MainWindow();
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ((std::vector<LONG>{rect.right - rect.left, rect.bottom - rect.top}),
            (std::vector<LONG>{700, 500}));
  const auto style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
  EXPECT_EQ(style & (0x100A0000u | WS_MAXIMIZEBOX | WS_THICKFRAME), 0x100A0000u)
      << "style " << std::hex << style;
  const std::vector<HWND> buttons = ChildrenOf(main);
  ASSERT_EQ(TextsOf(buttons), kMenuCaptions);
  constexpr LONG kIds[] = {211, 225, 200, 202, 226};
  for (LONG i = 0; i < 5; ++i) {
    GetWindowRect(buttons[i], &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ((std::vector<LONG>{GetDlgCtrlID(buttons[i]), rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<LONG>{kIds[i], 10, 10 + 35 * i, 210, 34 + 35 * i}));
  }
  Shot(main, "main-menu");

  program.Press(kv::kCmdDecompressFile);
  program.ChooseFile(InFolder("example.bin"), "open");
  program.ChooseFile(InFolder("abab.out"), "save");
  EXPECT_EQ(program.Answer("decompressed"), "abab.out: Decompression Success");
  program.ExpectIdleAtTheMenu();
  EXPECT_EQ(ReadBytes(InFolder("abab.out")), kAbab);

  program.Press(kv::kCmdWadViewer);
  program.ChooseFile(InFolder("TWO.WAD"), "open-archive");
  HWND list = nullptr;
  WaitUntil([&] { return (list = FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr)) != nullptr; },
            "the list");
  PostMessageA(list, WM_CHAR, 1, 0); // Ctrl+A: a sort would unselect the row that it moves
  WaitUntil([&] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 2; },
            "Ctrl+A to select both rows");
  Shot(main, "viewer");
  const std::vector<HWND> screen = ChildrenOf(main);
  program.Press(kv::kCmdExtractAll);
  program.ChooseFolder(InFolder("out"), "folder-chooser");
  // Sent: each has been handled when its send returns, and one that started
  // a command would not return while that command waits on the user.
  const auto send = [](HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result))
        << message;
  };
  const std::string question = program.Answer("question", IDYES, [&] {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    send(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10)); // on "Name": A.TXT would go first
    send(header, WM_LBUTTONUP, 0, MAKELPARAM(100, 10));
    for (const int id : {kv::kCmdBack, kv::kCmdDecompressFile, kv::kCmdCelToBmp})
      send(main, WM_COMMAND, id, 0);
    send(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(ChildrenOf(main), screen) << "\"< Back\" ran during the extraction";
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 2) << "the rows were sorted";
  });
  EXPECT_EQ(question, "B.TXT: File Already Exist!\nDo you wish to overwrite it?");
  EXPECT_EQ(program.Answer("extracted"), "Files Extracted: 2");
  EXPECT_EQ(program.WaitForExit(), 0u) << "the close asked for during the extraction was not carried out";
  EXPECT_EQ(ReadBytes(InFolder("out\\B.TXT")), kAbab);
  EXPECT_EQ(ReadBytes(InFolder("out\\A.TXT")), kAbab);
}

} // namespace
} // namespace e2e
