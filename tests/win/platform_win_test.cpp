// The Win32 side of the seam where its callers depend on what the system
// does: which error code a failure leaves, that clean-up keeps it, how files
// are shared, and where bare names land. Files are checked with the standard
// library, not with the seam under test. No window or dialog is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace kv::platform {
namespace {

using test::ReadBytes;
using test::Text;
using test::WriteBytes;

class Win32Files : public ::testing::Test {
protected:
  std::string Path(const std::string& name) const { return dir.File(name); }
  test::TempDir dir;
};

TEST_F(Win32Files, WritesAndReadsReportTheirCountsShareAsDeclaredAndNeverReplace) {
  const std::string path = Path("data.bin");
  {
    File out = CreateExclusive(path);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(LastError(), kErrorSuccess);
    std::uint32_t written = 0;
    ASSERT_TRUE(WriteToFile(out, "0123456789", 10, written));
    EXPECT_EQ(written, 10u);
    EXPECT_FALSE(OpenForReading(path).IsOpen()) << "a file being created is shared with nobody";
    EXPECT_EQ(LastError(), kErrorSharingViolation);
  }
  EXPECT_FALSE(CreateExclusive(path).IsOpen());
  EXPECT_EQ(LastError(), kErrorFileExists);
  EXPECT_EQ(ReadBytes(path), Text("0123456789")) << "left untouched";

  File first = OpenForReading(path);
  File second = OpenForReading(path); // readers share with readers
  ASSERT_TRUE(first.IsOpen() && second.IsOpen());
  EXPECT_EQ(FileSize(first), 10u);
  char buffer[64] = {};
  std::uint32_t read = 0;
  ASSERT_TRUE(ReadFromFile(first, buffer, sizeof buffer, read));
  EXPECT_EQ(std::string(buffer, read), "0123456789");
  ASSERT_TRUE(ReadFromFile(first, buffer, sizeof buffer, read));
  EXPECT_EQ(read, 0u) << "at the end, a read succeeds with nothing read";

  {
    const HANDLE large =
        CreateFileA(Path("large.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(large, INVALID_HANDLE_VALUE);
    const File owner(reinterpret_cast<std::intptr_t>(large));
    LARGE_INTEGER end{};
    end.QuadPart = (5LL << 30) + 3;
    ASSERT_TRUE(SetFilePointerEx(large, end, nullptr, FILE_BEGIN) && SetEndOfFile(large));
  }
  File reader = OpenForReading(Path("large.bin"));
  EXPECT_EQ(FileSize(reader), (5ULL << 30) + 3) << "the size is not cut to its low 32 bits";
}

TEST_F(Win32Files, FailuresLeaveTheirCodeAndTheSystemsTextAndCleanUpKeepsIt) {
  EXPECT_FALSE(OpenForReading(Path("missing.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(OpenForReading(Path("no-folder\\missing.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(CreateExclusive(Path("no-folder\\new.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  const std::string missing = ErrorText(kErrorFileNotFound); // the system's own text, with its line end
  EXPECT_TRUE(missing.ends_with("\r\n")) << missing;
  EXPECT_NE(ErrorText(kErrorPathNotFound), missing);
  EXPECT_EQ(ErrorText(0x0FEDCBA9), "") << "a code the system has no text for";

  WriteBytes(Path("doomed.bin"), Text("x"));
  File open = OpenForReading(Path("doomed.bin"));
  SetLastError(kErrorFileNotFound);
  open.Close();
  EXPECT_EQ(LastError(), kErrorFileNotFound) << "closing keeps the error";
  RemoveFileQuietly(Path("doomed.bin"));
  EXPECT_FALSE(std::filesystem::exists(Path("doomed.bin")));
  SetLastError(kErrorDiskFull);
  RemoveFileQuietly(Path("never-there.bin"));
  EXPECT_FALSE(FileExists(Path("never-there.bin")));
  EXPECT_EQ(LastError(), kErrorDiskFull) << "a failed removal and a check keep it too";
}

TEST_F(Win32Files, MoveFileOverReplacesTheOldFileAndBareNamesLandInTheCurrentDirectory) {
  WriteBytes(Path("target.bin"), Text("old"));
  WriteBytes(Path("target.new"), Text("new contents"));
  ASSERT_TRUE(MoveFileOver(Path("target.new"), Path("target.bin")));
  EXPECT_EQ(ReadBytes(Path("target.bin")), Text("new contents"));
  EXPECT_FALSE(FileExists(Path("target.new")));
  EXPECT_FALSE(MoveFileOver(Path("gone.new"), Path("target.bin")));
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  const std::string saved = CurrentDirectory();
  ASSERT_TRUE(EnterDirectory(dir.path().string()));
  const std::string current = CurrentDirectory();
  const bool created = CreateExclusive("bare.bin").IsOpen();
  const bool entered_missing = EnterDirectory(Path("missing-folder"));
  const std::uint32_t missing_error = LastError();
  const std::string after_missing = CurrentDirectory();
  ASSERT_TRUE(EnterDirectory(saved)); // before the folder is removed
  EXPECT_TRUE(created && FileExists(Path("bare.bin")));
  EXPECT_EQ(current, dir.path().string());
  EXPECT_FALSE(entered_missing);
  EXPECT_TRUE(missing_error == kErrorFileNotFound || missing_error == kErrorPathNotFound) << missing_error;
  EXPECT_EQ(after_missing, current);
}

} // namespace
} // namespace kv::platform
