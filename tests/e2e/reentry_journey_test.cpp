// A second command started while one waits on the user: the running command
// keeps its data and finishes; a close asked for meanwhile happens after it.
#include "e2e/harness.h"

namespace e2e {
namespace {

using ReentryJourney = Journey;

TEST_F(ReentryJourney, InputDuringARunningCommandIsHeldOffAndACloseWaitsForItsEnd) {
  // The worked example with dictionary bits 4: decompressing it asks first.
  const std::vector<std::uint8_t> block = {0x04, 0x00, 0x00, 0x00, 0x00, 0x04,
                                           0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
  WriteBytes(InFolder("plain.bin"), block);
  Press(GetDlgItem(main_, 202));
  ChooseFile(WaitForFileDialog(*target_, "the open dialog"), InFolder("plain.bin"));
  const MessageBoxView question = WaitForMessageBox(*target_, "the question whether to skip decompression");

  // The box has no owner: the main window still takes input meanwhile, and
  // none of it may start another command.
  ASSERT_TRUE(IsWindowEnabled(main_));
  const std::vector<HWND> menu = ChildrenOf(main_);
  PostCommand(main_, 201);       // "< Back": would rebuild the menu
  Press(GetDlgItem(main_, 202)); // a second decompression: would open a dialog
  Press(GetDlgItem(main_, 200)); // another mode's button
  Pause(300ms);
  SendMessageA(main_, WM_NULL, 0, 0);
  SaveScreenshot(GetDesktopWindow(), Shot("held-off"));
  EXPECT_EQ(ChildrenOf(main_), menu) << "\"< Back\" ran during the command";
  EXPECT_EQ(target_->TopLevelWindows().size(), 2u) << "a second command opened a window";

  // Closing the main window meanwhile waits for the command to end.
  PostMessageA(main_, WM_CLOSE, 0, 0);
  Pause(300ms);
  ASSERT_TRUE(target_->Running()) << "the program ended in the middle of a command";
  EXPECT_TRUE(IsWindow(main_)) << "the close was not held";
  EXPECT_TRUE(IsWindow(question.window));

  // The first command goes on undisturbed: decode anyway, save, succeed.
  Answer(question, IDNO);
  HWND save = WaitForFileDialog(*target_, "the save dialog");
  ChooseFile(save, InFolder("decoded.out"));
  const MessageBoxView done = WaitForMessageBox(*target_, "\"Decompression Success\"");
  EXPECT_EQ(done.text, "Decompression Success");
  EXPECT_TRUE(IsWindow(main_)) << "the program closed before the command ended";
  Answer(done, IDOK);

  // Then the held close is honoured.
  EXPECT_EQ(target_->WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(InFolder("decoded.out")), (std::vector<std::uint8_t>{'A', 'B', 'A', 'B'}));
}

} // namespace
} // namespace e2e
