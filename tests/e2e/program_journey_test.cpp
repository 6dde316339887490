// What only the real program, started on its own, proves: its window and
// menu as it starts, its end with exit code 0, and the system's own dialogs
// (open, save, the folder chooser and message boxes) carrying a command
// through.
#include "e2e/harness.h"
#include "shell/shell.h"
#include "support/wad_builder.h"

namespace e2e {
namespace {

using TheProgram = Journey;

TEST_F(TheProgram, StartsWithItsMenuAndEndsWithExitCodeZero) {
  Program program(folder_);
  HWND main = program.MainWindow();
  EXPECT_EQ(TextOf(main), "Kroll Vorevuvo");
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ((std::vector<LONG>{outer.right - outer.left, outer.bottom - outer.top}),
            (std::vector<LONG>{700, 500}));
  const auto style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
  EXPECT_EQ(style & 0x100A0000u, 0x100A0000u) << std::hex << style;
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << "the window must not be resizable";

  const std::vector<HWND> buttons = ChildrenOf(main);
  ASSERT_EQ(TextsOf(buttons), kMenuCaptions);
  constexpr LONG kIds[] = {211, 225, 200, 202, 226};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    RECT rect{};
    GetWindowRect(buttons[i], &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    const LONG top = 10 + 35 * static_cast<LONG>(i);
    EXPECT_EQ((std::vector<LONG>{GetDlgCtrlID(buttons[i]), rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<LONG>{kIds[i], 10, top, 210, top + 24}))
        << kMenuCaptions[i];
  }
  Shot(main, "main-menu");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST_F(TheProgram, DecompressesAndExtractsThroughTheSystemsDialogs) {
  // Size 4; literal mode 0; 6 dictionary bits; literals A and B, a copy of
  // length 2 at distance 2, the end code.
  WriteBytes(InFolder("example.bin"),
             {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03});
  WriteBytes(InFolder("ABAB.WAD"), kv::test::AbabArchive());
  // Made before the program starts: the folder chooser now and then misses a
  // folder made just before it opens.
  CreateDirectoryA(InFolder("out").c_str(), nullptr);
  Program program(folder_);
  HWND main = program.MainWindow();

  program.Press(kv::kCmdDecompressFile);
  program.ChooseFile(InFolder("example.bin"), "open");
  program.ChooseFile(InFolder("abab.out"), "save");
  EXPECT_EQ(program.Acknowledge("decompressed"), "abab.out: Decompression Success");
  program.ExpectIdleAtTheMenu();
  EXPECT_EQ(ReadBytes(InFolder("abab.out")), kAbab);

  program.Press(kv::kCmdWadViewer);
  program.ChooseFile(InFolder("ABAB.WAD"), "open-archive");
  WaitUntil([&] { return FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr) != nullptr; }, "the WAD list");
  program.Press(kv::kCmdExtractAll);
  program.ChooseFolder(InFolder("out"), "folder-chooser");
  EXPECT_EQ(program.Acknowledge("extracted"), "Files Extracted: 1");
  program.ExpectIdleAtTheMenu();
  EXPECT_EQ(ReadBytes(InFolder("out\\ABAB.TXT")), kAbab);
}

} // namespace
} // namespace e2e
