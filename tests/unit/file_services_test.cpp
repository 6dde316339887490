#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_services.h"
#include "core/output_run.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

namespace fs = std::filesystem;

class FileServicesTest : public ::testing::Test {
protected:
  ScriptedUi ui;
  TempDir dir;
};

TEST_F(FileServicesTest, LoadFileGivesTheBytesWithAZeroAfterThemOrTellsWhyNot) {
  WriteBytes(dir.File("COMMENT.TOK"), Text("hello"));
  const auto loaded = LoadFile(dir.File("comment.tok")); // game files are found whatever their case
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->size(), 5u);
  EXPECT_STREQ(loaded->text(), "hello");
  WriteBytes(dir.File("empty"), {});
  WriteBytes(dir.File("huge"), {});
  fs::resize_file(dir.File("huge"), 0xFFFFFFFFu); // sparse: costs no disk
  mkfifo(dir.File("pipe").c_str(), 0666);         // opened to read, it would wait for a writer
  for (const std::string& name : {"empty", "missing", "", "huge", "pipe"})
    EXPECT_FALSE(LoadFile(dir.File(name))) << name;
  EXPECT_EQ(ui.Told(), (Strings{dir.File("empty") + ": Ignored: File Size is zero",
                                "LoadFile(): No such file or directory",
                                "LoadFile(): Permission denied", // a folder
                                dir.File("huge") + ": Ignored: File is 4 GiB or larger",
                                dir.File("pipe") + ": " + text::kNotRegularFile}));
  // A sysfs file promises 4096 bytes and holds a few: a read that ends early,
  // as when a file is cut while it is read.
  const std::string cut = "/sys/devices/system/cpu/online";
  EXPECT_FALSE(LoadFile(cut));
  EXPECT_EQ(ui.Told(), Strings{cut + ": Failed: the file changed while it was being read"});
}

TEST_F(FileServicesTest, SaveFileCreatesANewFileWhateverTheModeAndAnExistingOneFollowsTheMode) {
  for (OverwriteMode mode : {Ask, Skip, Overwrite})
    EXPECT_TRUE(SaveFile(dir.File("new" + std::to_string(mode)), Text("data"), mode));
  const std::string path = dir.File("existing");
  WriteBytes(path, Text("old"));
  chmod(path.c_str(), 0751); // kept by every file that replaces it
  ui.Answer(platform::kAnswerNo);
  ui.Answer(platform::kAnswerYes);
  // Each mode in turn, and what the file holds after it; other values overwrite.
  for (const auto& [mode, result] :
       {std::pair(Skip, "old"), {Ask, "old"}, {Ask, "yes"}, {Overwrite, "o"}, {OverwriteMode(7), "7"}}) {
    EXPECT_EQ(SaveFile(path, Text(result), mode), result != std::string("old"));
    EXPECT_EQ(ReadBytes(path), Text(result));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0751));
  }
  const std::string question = path + ": File Already Exist!\nDo you wish to overwrite it? [Yes/No]";
  EXPECT_EQ(ui.Told(), (Strings{question, question}));
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"existing", "new0", "new1", "new2"}));
}

// Permission bits do not stop root, but Windows' read-only attribute stops
// everyone: run as root, the saves below act as the unprivileged user
// "nobody" (real and effective, as access() checks the real one; root is
// kept as the saved user to come back to), so the bits count as for a user.
struct WithoutPrivileges {
  const bool root = geteuid() == 0;
  WithoutPrivileges() { EXPECT_TRUE(!root || setresuid(65534, 65534, 0) == 0) << "cannot drop root"; }
  ~WithoutPrivileges() { EXPECT_TRUE(!root || setresuid(0, 0, 0) == 0); }
};

// Whatever stops the write, the old file stays whole, a new one is not left
// half written, and no temporary ~kv*.kvpart stays behind.
TEST_F(FileServicesTest, SaveFileThatCannotWriteKeepsTheOldFileAndLeavesNothingBehind) {
  const std::string denied = "SaveFile(): Permission denied";
  const std::string too_large = "SaveFile(): File too large";
  const struct {
    const char* name;
    mode_t folder_mode, file_mode;
    rlim_t size_limit; // a limit of 16 bytes fails every write past them, as a full disk does
    Strings told;      // replacing the file, then (where the folder allows one) making a new one
  } cases[] = {
      {"read-only file", 0777, 0444, RLIM_INFINITY, {denied}},
      {"read-only folder", 0555, 0666, RLIM_INFINITY, {denied, denied}},
      {"full disk", 0777, 0666, 16, {too_large, too_large}},
  };
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path folder = dir.path() / c.name;
    fs::create_directory(folder);
    WriteBytes((folder / "kept").string(), Text("precious"));
    chmod((folder / "kept").c_str(), c.file_mode);
    chmod(folder.c_str(), c.folder_mode);
    const rlimit limit{std::min(c.size_limit, saved.rlim_cur), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    {
      WithoutPrivileges user;
      EXPECT_FALSE(SaveFile((folder / "kept").string(), Bytes(100, 1), Overwrite));
      if (c.told.size() > 1) EXPECT_FALSE(SaveFile((folder / "new").string(), Bytes(100, 1), Overwrite));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    chmod(folder.c_str(), 0777);
    EXPECT_EQ(ReadBytes((folder / "kept").string()), Text("precious"));
    EXPECT_EQ(ui.Told(), c.told);
    EXPECT_EQ(FilesIn(folder), Strings{"kept"});
  }
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_FALSE(SaveFile(dir.File("no/such/folder/file"), Text("x"), Overwrite));
  EXPECT_EQ(ui.Told(), Strings{"SaveFile(): No such file or directory"});
}

// One command's outputs: a name it wrote is never written again, whatever
// the mode; a folder under a name is a failure, not a file to keep; a file
// that appears between the look and the move is not replaced; and the run
// stops once its folder is gone.
TEST_F(FileServicesTest, ARunPublishesEachFileOnceAndNeverOverTheFilesItWrote) {
  CurrentDirectoryGuard restore;
  fs::current_path(dir.path());
  WriteBytes("late", Text("old"));
  WriteBytes("late.new", Text("new"));
  EXPECT_FALSE(platform::MoveFileNoReplace("late.new", "late"));
  EXPECT_EQ(platform::LastError(), platform::kErrorFileExists);
  EXPECT_EQ(ReadBytes("late"), Text("old"));
  fs::remove("late.new");
  fs::create_directory("folder");
  OutputRun run;
  const std::tuple<const char*, const char*, OverwriteMode, SaveOutcome> saves[] = {
      {"KICK.WAV", "KICK.SFX", Skip, SaveOutcome::Written},
      {"KICK.WAV", "KICK.WAV", Overwrite, SaveOutcome::Failed},
      {"kick.wav", "kick.wav", Skip, SaveOutcome::Written},
      {"late", "LATE", Skip, SaveOutcome::Kept},
      {"folder", "FOLDER", Overwrite, SaveOutcome::Failed},
  };
  for (const auto& [name, source, mode, outcome] : saves)
    EXPECT_EQ(run.Save(name, Text(source), mode, source), outcome) << source;
  EXPECT_EQ(ui.Told(), (Strings{"KICK.WAV: Not written: it would replace KICK.WAV written by KICK.SFX",
                                "SaveFile(): Permission denied"}));
  EXPECT_EQ(ReadBytes("KICK.WAV"), Text("KICK.SFX"));
  EXPECT_EQ(std::tuple(run.written(), run.kept(), run.failed(), run.clashed(), run.folder_gone()),
            std::tuple(2, 1, 1, 1, false));
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"KICK.WAV", "folder", "kick.wav", "late"})) << "no temporary file";
  fs::current_path("folder");
  OutputRun gone;
  fs::remove(dir.path() / "folder");
  EXPECT_EQ(gone.Save("x", Text("x"), Skip, "X"), SaveOutcome::Failed);
  EXPECT_TRUE(gone.folder_gone());
  ui.Told();
  platform::SetLastError(platform::kErrorSuccess);
  ShowSystemError("Op()");
  EXPECT_EQ(ui.Told(), Strings{std::string("Op(): ") + text::kFailedWithoutCode});
}

TEST_F(FileServicesTest, OutputFolderStepsEnterTheChosenFolderAndStayOnCancelOrFailure) {
  CurrentDirectoryGuard restore;
  int owner = 0;
  for (const char* chosen : {"", "gone"})
    ui.ChooseFolder(dir.File(chosen));
  ui.ChooseFolder("");
  EXPECT_TRUE(ChooseOutputFolder(nullptr));
  EXPECT_FALSE(ChooseOutputFolder(&owner));
  EXPECT_FALSE(ChooseOutputFolder(nullptr));
  EXPECT_EQ(fs::current_path(), dir.path());
  EXPECT_EQ(ui.folder_instructions.at(0), "Select the place where you want to extract the selected item(s).");
  EXPECT_EQ(ui.messages.at(0).owner, &owner);
  EXPECT_EQ(ui.Told(), Strings{"Failed to set output directory: Abort"});
}

} // namespace
} // namespace kv::test
