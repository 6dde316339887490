// The Win32 side of the seam where its callers depend on what the system
// does: which error code a failure leaves, that clean-up keeps it, how files
// are shared, and where bare names land. Files are checked with the standard
// library, not with the seam under test. No window or dialog is shown.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace kv::platform {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// A fresh folder under the system's temporary folder for every test.
class Win32Files : public ::testing::Test {
protected:
  void SetUp() override {
    std::array<char, MAX_PATH + 1> temp{};
    ASSERT_NE(GetTempPathA(static_cast<DWORD>(temp.size()), temp.data()), 0u);
    static int serial = 0;
    folder_ = std::string(temp.data()) + "kv-win-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount64()) + "-" + std::to_string(++serial) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }

  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Path(const std::string& name) const { return folder_ + name; }

  std::string folder_;
};

TEST_F(Win32Files, CreateExclusiveRefusesAnExistingFileAndLeavesItUntouched) {
  WriteText(Path("exists.bin"), "old contents");
  SetLastError(0);
  const File file = CreateExclusive(Path("exists.bin"));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(LastError(), kErrorFileExists);
  EXPECT_EQ(ReadText(Path("exists.bin")), "old contents");
}

TEST_F(Win32Files, WritesAndReadsReportTheirCountsAndShareAsDeclared) {
  const std::string path = Path("data.bin");
  const std::string bytes = "0123456789";
  {
    File out = CreateExclusive(path);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(LastError(), kErrorSuccess);
    std::uint32_t written = 0;
    ASSERT_TRUE(WriteToFile(out, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written));
    EXPECT_EQ(written, bytes.size());
    // A file being created is shared with nobody.
    EXPECT_FALSE(OpenForReading(path).IsOpen());
    EXPECT_EQ(LastError(), kErrorSharingViolation);
  }
  EXPECT_EQ(ReadText(path), bytes);

  // Readers share with readers.
  File first = OpenForReading(path);
  File second = OpenForReading(path);
  ASSERT_TRUE(first.IsOpen());
  ASSERT_TRUE(second.IsOpen());
  EXPECT_EQ(FileSize(first), bytes.size());
  std::vector<char> buffer(64, '\0');
  std::uint32_t read = 0;
  ASSERT_TRUE(ReadFromFile(first, buffer.data(), static_cast<std::uint32_t>(buffer.size()), read));
  EXPECT_EQ(read, bytes.size());
  EXPECT_EQ(std::string(buffer.data(), read), bytes);
  // At the end, a read succeeds with nothing read.
  ASSERT_TRUE(ReadFromFile(first, buffer.data(), static_cast<std::uint32_t>(buffer.size()), read));
  EXPECT_EQ(read, 0u);
}

TEST_F(Win32Files, FileSizeIsNotCutToItsLow32Bits) {
  const std::string path = Path("large.bin");
  const LONGLONG size = (5LL << 30) + 3;
  {
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const File owner(reinterpret_cast<std::intptr_t>(handle));
    LARGE_INTEGER end{};
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(handle, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(handle));
  }
  File file = OpenForReading(path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(FileSize(file), static_cast<std::uint64_t>(size));
}

TEST_F(Win32Files, MissingFileOrFolderLeavesItsCodeAndTheSystemsText) {
  EXPECT_FALSE(OpenForReading(Path("missing.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(OpenForReading(Path("no-folder\\missing.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(CreateExclusive(Path("no-folder\\new.bin")).IsOpen());
  EXPECT_EQ(LastError(), kErrorPathNotFound);

  // The system's own text, kept whole with its line end.
  const std::string missing = ErrorText(kErrorFileNotFound);
  EXPECT_TRUE(missing.ends_with("\r\n")) << missing;
  const std::string lowered = Lowered(missing);
  EXPECT_TRUE(lowered.find("not found") != std::string::npos ||
              lowered.find("cannot find") != std::string::npos)
      << missing;
  EXPECT_NE(ErrorText(kErrorPathNotFound), missing);
  EXPECT_FALSE(ErrorText(kErrorFileExists).empty());
  // A code the system has no text for gives an empty text, not garbage.
  EXPECT_EQ(ErrorText(0x0FEDCBA9), "");
}

TEST_F(Win32Files, CleanUpKeepsTheErrorOfTheFailingCall) {
  WriteText(Path("open.bin"), "x");
  WriteText(Path("doomed.bin"), "x");
  {
    File open = OpenForReading(Path("open.bin"));
    ASSERT_TRUE(open.IsOpen());
    EXPECT_FALSE(OpenForReading(Path("missing.bin")).IsOpen());
    ASSERT_EQ(LastError(), kErrorFileNotFound);

    open.Close();
    EXPECT_FALSE(open.IsOpen());
    EXPECT_EQ(LastError(), kErrorFileNotFound);
  }
  RemoveFileQuietly(Path("doomed.bin"));
  EXPECT_FALSE(std::filesystem::exists(Path("doomed.bin")));
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  SetLastError(kErrorDiskFull);
  RemoveFileQuietly(Path("never-there.bin"));
  EXPECT_EQ(LastError(), kErrorDiskFull);
  EXPECT_FALSE(FileExists(Path("never-there.bin")));
  EXPECT_EQ(LastError(), kErrorDiskFull);
  {
    const File closed_on_scope_exit = OpenForReading(Path("open.bin"));
    SetLastError(kErrorDiskFull);
  }
  EXPECT_EQ(LastError(), kErrorDiskFull);
}

TEST_F(Win32Files, MoveFileOverReplacesTheOldFile) {
  WriteText(Path("target.bin"), "old");
  WriteText(Path("target.new"), "new contents");
  ASSERT_TRUE(MoveFileOver(Path("target.new"), Path("target.bin")));
  EXPECT_EQ(ReadText(Path("target.bin")), "new contents");
  EXPECT_FALSE(FileExists(Path("target.new")));

  EXPECT_FALSE(MoveFileOver(Path("gone.new"), Path("target.bin")));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_EQ(ReadText(Path("target.bin")), "new contents");
}

TEST_F(Win32Files, BareNamesLandInTheCurrentDirectory) {
  const std::string saved = CurrentDirectory();
  ASSERT_FALSE(saved.empty());
  ASSERT_TRUE(EnterDirectory(folder_));
  const std::string current = CurrentDirectory();
  {
    File bare = CreateExclusive("bare.bin");
    EXPECT_TRUE(bare.IsOpen());
  }
  const bool entered_missing = EnterDirectory(Path("missing-folder"));
  const std::uint32_t missing_error = LastError();
  const std::string after_missing = CurrentDirectory();
  ASSERT_TRUE(EnterDirectory(saved)); // before TearDown removes the folder

  EXPECT_EQ(current + "\\", folder_);
  EXPECT_TRUE(FileExists(Path("bare.bin")));
  EXPECT_FALSE(entered_missing);
  EXPECT_TRUE(missing_error == kErrorFileNotFound || missing_error == kErrorPathNotFound) << missing_error;
  EXPECT_EQ(after_missing, current);
  EXPECT_EQ(CurrentDirectory(), saved);
}

} // namespace
} // namespace kv::platform
