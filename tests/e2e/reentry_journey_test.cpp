// A second command started while one waits on the user: the running command
// keeps its data and finishes; a close asked for meanwhile happens after it.
#include "e2e/harness.h"

namespace e2e {
namespace {

using ReentryJourney = Journey;

TEST_F(ReentryJourney, InputDuringARunningCommandIsHeldOffAndACloseWaitsForItsEnd) {
  // The worked example with dictionary bits 4: decompressing it asks first.
  WriteBytes(InFolder("plain.bin"), {0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03});
  Press(GetDlgItem(main_, 202));
  ChooseFile(WaitForFileDialog("the open dialog"), InFolder("plain.bin"));
  const MessageBoxView question = WaitForMessageBox(*target_, "the question whether to skip decompression");

  // The box has no owner: the main window still takes input meanwhile, and
  // none of it may start another command.
  ASSERT_TRUE(IsWindowEnabled(main_));
  const std::vector<HWND> menu = ChildrenOf(main_);
  PostCommand(main_, 201);       // "< Back": would rebuild the menu
  Press(GetDlgItem(main_, 202)); // a second decompression: would open a dialog
  Press(GetDlgItem(main_, 200)); // another mode's button
  Pause(300ms);
  Send(main_, WM_NULL);
  Shot(GetDesktopWindow(), "held-off");
  EXPECT_EQ(ChildrenOf(main_), menu) << "\"< Back\" ran during the command";
  EXPECT_EQ(target_->TopLevelWindows().size(), 2u) << "a second command opened a window";

  // Closing the main window meanwhile waits for the command to end.
  PostMessageA(main_, WM_CLOSE, 0, 0);
  Pause(300ms);
  ASSERT_TRUE(target_->Running()) << "the program ended in the middle of a command";
  EXPECT_TRUE(IsWindow(question.window));

  // The first command goes on undisturbed: decode anyway, save, succeed;
  // then the held close is honoured.
  Dismiss(question.window, IDNO);
  ChooseFile(WaitForFileDialog("the save dialog"), InFolder("decoded.out"));
  Acknowledge("\"Decompression Success\"");
  EXPECT_EQ(target_->WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(InFolder("decoded.out")), (Bytes{'A', 'B', 'A', 'B'}));
}

} // namespace
} // namespace e2e
