// The Win32 side of the seam where its callers depend on what the system
// does: which error code a failure leaves, that clean-up keeps it, how files
// are shared and published. Files are checked with the standard library, not
// with the seam under test. No window or dialog is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/file_services.h"
#include "media/wav.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

using namespace platform;

// The code that a failed call left; a call that succeeded fails the test.
std::uint32_t ErrorOf(bool succeeded) {
  const std::uint32_t error = LastError();
  EXPECT_FALSE(succeeded);
  return error;
}

// (Counts of bytes written and read, a move over a file and bare names in the
// folder entered: every file that the journeys save, load and extract.)
TEST(Win32Files, FilesAreSharedAsDeclaredNeverReplacedAndSizedBeyond32Bits) {
  TempDir dir;
  const std::string path = dir.File("data.bin");
  {
    File out = CreateExclusive(path);
    EXPECT_EQ(ErrorOf(OpenForReading(path).IsOpen()), kErrorSharingViolation)
        << "a file being created is shared with nobody";
  }
  EXPECT_EQ(ErrorOf(CreateExclusive(path).IsOpen()), kErrorFileExists);
  File first = OpenForReading(path);
  EXPECT_TRUE(first.IsOpen() && OpenForReading(path).IsOpen()) << "readers share with readers";
  {
    File large(reinterpret_cast<std::intptr_t>(
        CreateFileA(dir.File("large.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    LARGE_INTEGER end{};
    end.QuadPart = (5LL << 30) + 3;
    ASSERT_TRUE(SetFilePointerEx(reinterpret_cast<HANDLE>(large.native()), end, nullptr, FILE_BEGIN) &&
                SetEndOfFile(reinterpret_cast<HANDLE>(large.native())));
  }
  File reader = OpenForReading(dir.File("large.bin"));
  EXPECT_EQ(FileSize(reader), (5ULL << 30) + 3) << "the size is not cut to its low 32 bits";
}

TEST(Win32Files, FailuresLeaveTheirCodeAndTheSystemsTextAndCleanUpKeepsIt) {
  TempDir dir;
  EXPECT_EQ(ErrorOf(OpenForReading(dir.File("missing.bin")).IsOpen()), kErrorFileNotFound);
  EXPECT_EQ(ErrorOf(OpenForReading(dir.File("no-folder\\missing.bin")).IsOpen()), kErrorPathNotFound);
  EXPECT_EQ(ErrorOf(CreateExclusive(dir.File("no-folder\\new.bin")).IsOpen()), kErrorPathNotFound);
  EXPECT_EQ(ErrorOf(MoveFileOver(dir.File("gone.new"), dir.File("missing.bin"))), kErrorFileNotFound);
  const std::uint32_t error = ErrorOf(EnterDirectory(dir.File("missing-folder")));
  EXPECT_TRUE(error == kErrorFileNotFound || error == kErrorPathNotFound) << error;
  EXPECT_EQ(ErrorOf(OpenForReading("NUL").IsOpen()), kErrorOpenFailed) << "a device is not read";
  EXPECT_TRUE(ErrorText(kErrorFileNotFound).ends_with("\r\n")) << "the system's own text, with its line end";
  EXPECT_NE(ErrorText(kErrorPathNotFound), ErrorText(kErrorFileNotFound));
  EXPECT_EQ(ErrorText(0x0FEDCBA9), "") << "a code the system has no text for";

  WriteBytes(dir.File("doomed.bin"), Text("x"));
  File open = OpenForReading(dir.File("doomed.bin"));
  SetLastError(kErrorFileNotFound);
  open.Close();
  RemoveFileQuietly(dir.File("doomed.bin"));
  EXPECT_EQ(LastError(), kErrorFileNotFound) << "closing and removing keep the error";
  EXPECT_FALSE(std::filesystem::exists(dir.File("doomed.bin")));
  SetLastError(kErrorDiskFull);
  RemoveFileQuietly(dir.File("never-there.bin"));
  EXPECT_FALSE(FileExists(dir.File("never-there.bin")));
  EXPECT_EQ(LastError(), kErrorDiskFull) << "a failed removal and a check keep it too";
}

TEST(Win32Files, PublishingNeverReplacesANameInAnyCaseAndASaveLeavesNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir.File("target.bin"), Text("old"));
  WriteBytes(dir.File("other.new"), Text("other"));
  EXPECT_EQ(ErrorOf(MoveFileNoReplace(dir.File("other.new"), dir.File("TARGET.BIN"))), kErrorFileExists);
  EXPECT_EQ(ReadBytes(dir.File("target.bin")), Text("old"));
  EXPECT_TRUE(MoveFileNoReplace(dir.File("other.new"), dir.File("other.bin")));
  EXPECT_EQ(IdentityOf(dir.File("TARGET.BIN")), IdentityOf(dir.File("target.bin")))
      << "one file, two spellings";
  EXPECT_NE(IdentityOf(dir.File("other.bin")), IdentityOf(dir.File("target.bin")));
  EXPECT_FALSE(SaveFile(dir.File("Target.Bin"), Text("x"), Skip));
  EXPECT_TRUE(SaveFile(dir.File("Target.Bin"), Text("saved"), Overwrite));
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"other.bin", "target.bin"})) << "no temporary file is left";
  EXPECT_EQ(ReadBytes(dir.File("target.bin")), Text("saved"));
}

// The program's code page is UTF-8 (its manifest): folders of any name are
// made whole, and a file in the way is reported.
TEST(Win32Files, FoldersOfAnyNameAreMadeWithTheirParentsAndAFileInTheWayIsReported) {
  TempDir dir;
  const std::string deep = dir.File("Иван\\ゲーム\\out");
  EXPECT_TRUE(MakeFolders(deep) && MakeFolders(deep + "\\"));
  EXPECT_TRUE(IsFolder(deep) && std::filesystem::is_directory(FsPath(deep)));
  WriteBytes(dir.File("file"), Text("x"));
  EXPECT_FALSE(MakeFolders(dir.File("file\\sub")) || IsFolder(dir.File("file")));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
}

// With KV_PLAYED_SOUNDS set, the tests hear what was handed to PlaySoundA.
TEST(Win32Sound, EveryImageHandedToThePlayerIsWrittenWhereTheTestsAsk) {
  TempDir dir;
  SetEnvironmentVariableA("KV_PLAYED_SOUNDS", dir.path().string().c_str());
  const Bytes image = *MakeWavImage(Pattern(300));
  EXPECT_TRUE(PlayWav(image));
  StopSound();
  SetEnvironmentVariableA("KV_PLAYED_SOUNDS", nullptr);
  EXPECT_EQ(ReadBytes(dir.File("played-1.wav")), image);
}

} // namespace
} // namespace kv::test
