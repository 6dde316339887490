#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "core/file_services.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using platform::Buttons;
using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

class FileServicesTest : public ::testing::Test {
protected:
  test::ScriptedUi ui;
  test::TempDir dir;
};

TEST_F(FileServicesTest, LoadFileGivesTheBytesAndATerminatingZero) {
  WriteBytes(dir.File("text.txt"), Bytes("hello"));
  const auto loaded = LoadFile(dir.File("text.txt"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->size(), 5u);
  EXPECT_STREQ(loaded->text(), "hello");
  EXPECT_EQ(loaded->data()[5], 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileServicesTest, LoadFileOfAnEmptyFileIsIgnoredWithThePathAsCaption) {
  WriteBytes(dir.File("empty"), {});
  EXPECT_FALSE(LoadFile(dir.File("empty")));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Ignored: File Size is zero");
  EXPECT_EQ(ui.messages[0].caption, dir.File("empty"));
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::None);
}

TEST_F(FileServicesTest, LoadFileOfAMissingFileShowsTheSystemText) {
  EXPECT_FALSE(LoadFile(dir.File("missing")));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "LoadFile()");
  EXPECT_EQ(ui.messages[0].text, "The system cannot find the file specified.\r\n");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Information);
  EXPECT_EQ(ui.messages[0].owner, nullptr);
}

TEST_F(FileServicesTest, LoadFileFindsGameFilesWhateverTheirCase) {
  WriteBytes(dir.File("COMMENT.TOK"), Bytes("x"));
  EXPECT_TRUE(LoadFile(dir.File("comment.tok")));
}

TEST_F(FileServicesTest, LoadFileOfAFolderFails) {
  EXPECT_FALSE(LoadFile(dir.path().string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "LoadFile()");
}

TEST_F(FileServicesTest, SaveFileCreatesANewFileWhateverTheMode) {
  for (OverwriteMode mode : {Ask, Skip, Overwrite}) {
    const std::string path = dir.File("new" + std::to_string(mode));
    EXPECT_TRUE(SaveFile(path, Bytes("data"), mode));
    EXPECT_EQ(ReadBytes(path), Bytes("data"));
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileServicesTest, SaveFileOverAnExistingFileFollowsTheMode) {
  const std::string path = dir.File("existing");
  WriteBytes(path, Bytes("old"));

  EXPECT_FALSE(SaveFile(path, Bytes("new"), Skip));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ReadBytes(path), Bytes("old"));

  ui.Answer(platform::kAnswerNo);
  EXPECT_FALSE(SaveFile(path, Bytes("new"), Ask));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File Already Exist!\nDo you wish to overwrite it?");
  EXPECT_EQ(ui.messages[0].caption, path);
  EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
  EXPECT_EQ(ReadBytes(path), Bytes("old"));

  ui.Answer(platform::kAnswerYes);
  EXPECT_TRUE(SaveFile(path, Bytes("newer"), Ask));
  EXPECT_EQ(ReadBytes(path), Bytes("newer"));

  EXPECT_TRUE(SaveFile(path, Bytes("x"), Overwrite));
  EXPECT_TRUE(SaveFile(path, Bytes("y"), static_cast<OverwriteMode>(7))); // any other value overwrites
  EXPECT_EQ(ReadBytes(path), Bytes("y"));
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(FileServicesTest, SaveFileLeavesNoTemporaryFilesBehind) {
  WriteBytes(dir.File("a"), Bytes("old"));
  ASSERT_TRUE(SaveFile(dir.File("a"), Bytes("new"), Overwrite));
  ASSERT_TRUE(SaveFile(dir.File("b"), Bytes("new"), Overwrite));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
}

TEST_F(FileServicesTest, SaveFileIntoAMissingFolderShowsTheSystemText) {
  EXPECT_FALSE(SaveFile(dir.File("no/such/folder/file"), Bytes("x"), Overwrite));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "SaveFile()");
  EXPECT_EQ(ui.messages[0].text, "The system cannot find the path specified.\r\n");
}

// A file-size limit makes every write past 16 bytes fail, as a full disk
// would: the old file must survive whole and no partial file may stay.
class WriteLimit {
public:
  explicit WriteLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~WriteLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }

private:
  rlimit saved_{};
  void (*previous_handler_)(int);
};

TEST_F(FileServicesTest, SaveFileThatCannotWriteEveryByteKeepsTheOldFileAndLeavesNoPartialOne) {
  WriteBytes(dir.File("kept"), Bytes("precious"));
  {
    WriteLimit limit(16);
    EXPECT_FALSE(SaveFile(dir.File("kept"), std::vector<std::uint8_t>(100, 1), Overwrite));
    EXPECT_FALSE(SaveFile(dir.File("new"), std::vector<std::uint8_t>(100, 1), Overwrite));
  }
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption, "SaveFile()");
  EXPECT_FALSE(ui.messages[0].text.empty());
  EXPECT_EQ(ReadBytes(dir.File("kept")), Bytes("precious"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(FileServicesTest, OutputFolderStepsEnterTheChosenFolder) {
  test::CurrentDirectoryGuard restore;
  ui.ChooseFolder(dir.path().string());
  EXPECT_TRUE(ChooseOutputFolder(nullptr));
  EXPECT_EQ(std::filesystem::current_path(), dir.path());
  ASSERT_EQ(ui.folder_instructions.size(), 1u);
  EXPECT_EQ(ui.folder_instructions[0], "Select the place where you want to extract the selected item(s).");

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
