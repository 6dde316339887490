#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "core/file_services.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

class FileServicesTest : public ::testing::Test {
protected:
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }
  test::ScriptedUi ui;
  test::TempDir dir;
};

TEST_F(FileServicesTest, LoadFileGivesTheBytesWithAZeroAfterThemWhateverTheNamesCase) {
  WriteBytes(dir.File("COMMENT.TOK"), Bytes("hello"));
  const auto loaded = LoadFile(dir.File("comment.tok"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->size(), 5u);
  EXPECT_STREQ(loaded->text(), "hello");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileServicesTest, LoadFileOfAnEmptyMissingOrFolderPathFailsWithItsMessage) {
  WriteBytes(dir.File("empty"), {});
  const struct {
    std::string path, caption, text;
  } cases[] = {
      {dir.File("empty"), dir.File("empty"), "Ignored: File Size is zero"},
      {dir.File("missing"), "LoadFile()", "The system cannot find the file specified.\r\n"},
      {dir.path().string(), "LoadFile()", ""},
  };
  for (const auto& c : cases) {
    ui.messages.clear();
    EXPECT_FALSE(LoadFile(c.path));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, c.caption);
    if (!c.text.empty()) EXPECT_EQ(ui.messages[0].text, c.text);
  }
}

TEST_F(FileServicesTest, SaveFileCreatesANewFileWhateverTheModeAndAnExistingOneFollowsTheMode) {
  for (OverwriteMode mode : {Ask, Skip, Overwrite}) {
    const std::string path = dir.File("new" + std::to_string(mode));
    EXPECT_TRUE(SaveFile(path, Bytes("data"), mode));
    EXPECT_EQ(ReadBytes(path), Bytes("data"));
  }
  EXPECT_TRUE(ui.messages.empty());

  const std::string path = dir.File("existing");
  WriteBytes(path, Bytes("old"));
  EXPECT_FALSE(SaveFile(path, Bytes("new"), Skip));
  EXPECT_TRUE(ui.messages.empty());
  ui.Answer(platform::kAnswerNo);
  EXPECT_FALSE(SaveFile(path, Bytes("new"), Ask));
  EXPECT_EQ(ReadBytes(path), Bytes("old"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File Already Exist!\nDo you wish to overwrite it?");
  EXPECT_EQ(ui.messages[0].caption, path);
  EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::YesNo);
  ui.Answer(platform::kAnswerYes);
  EXPECT_TRUE(SaveFile(path, Bytes("newer"), Ask));
  EXPECT_EQ(ReadBytes(path), Bytes("newer"));
  EXPECT_TRUE(SaveFile(path, Bytes("x"), Overwrite));
  EXPECT_TRUE(SaveFile(path, Bytes("y"), static_cast<OverwriteMode>(7))); // any other value overwrites
  EXPECT_EQ(ReadBytes(path), Bytes("y"));
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(FilesInDir(), 4u) << "no temporary file is left behind";
}

TEST_F(FileServicesTest, SaveFileIntoAMissingFolderShowsTheSystemText) {
  EXPECT_FALSE(SaveFile(dir.File("no/such/folder/file"), Bytes("x"), Overwrite));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "SaveFile()");
  EXPECT_EQ(ui.messages[0].text, "The system cannot find the path specified.\r\n");
}

// A file-size limit makes every write past 16 bytes fail, as a full disk would: the old file must
// survive whole and no partial file may stay.
TEST_F(FileServicesTest, SaveFileThatCannotWriteEveryByteKeepsTheOldFileAndLeavesNoPartialOne) {
  WriteBytes(dir.File("kept"), Bytes("precious"));
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &limit);
  const bool replaced = SaveFile(dir.File("kept"), std::vector<std::uint8_t>(100, 1), Overwrite);
  const bool created = SaveFile(dir.File("new"), std::vector<std::uint8_t>(100, 1), Overwrite);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_FALSE(replaced);
  EXPECT_FALSE(created);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption, "SaveFile()");
  EXPECT_EQ(ReadBytes(dir.File("kept")), Bytes("precious"));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(FileServicesTest, OutputFolderStepsEnterTheChosenFolderAndStayOnCancelOrFailure) {
  test::CurrentDirectoryGuard restore;
  ui.ChooseFolder(dir.path().string());
  EXPECT_TRUE(ChooseOutputFolder(nullptr));
  EXPECT_EQ(std::filesystem::current_path(), dir.path());
  EXPECT_EQ(ui.folder_instructions.at(0), "Select the place where you want to extract the selected item(s).");
  ui.ChooseFolder("");
  EXPECT_FALSE(ChooseOutputFolder(nullptr));
  EXPECT_TRUE(ui.messages.empty());
  int owner = 0;
  ui.ChooseFolder(dir.File("gone"));
  EXPECT_FALSE(ChooseOutputFolder(&owner));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Abort");
  EXPECT_EQ(ui.messages[0].caption, "Failed to set output directory");
  EXPECT_EQ(ui.messages[0].owner, &owner);
  EXPECT_EQ(std::filesystem::current_path(), dir.path());
}

} // namespace
} // namespace kv
