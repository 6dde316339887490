// Files for tests: a fresh folder per test, whole-file reads and writes, and
// the current directory put back afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kv::test {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

// A fresh folder, removed with everything in it afterwards.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// A path from a UTF-8 text, the code page of the tests on every platform
// (a std::filesystem::path made from a narrow text on Windows takes it in
// another one).
std::filesystem::path FsPath(const std::string& utf8);

Bytes Text(std::string_view text);
// `size` bytes that compress somewhat but not to nothing; `seed` varies them.
Bytes Pattern(std::size_t size, unsigned seed = 0);
void WriteBytes(const std::string& path, const Bytes& bytes);
// Throws when the file cannot be read, which fails the test.
Bytes ReadBytes(const std::string& path);
// The names in `folder`, sorted: what a command left there, temporaries included.
Strings FilesIn(const std::filesystem::path& folder);

// Restores the current directory when it goes out of scope.
struct CurrentDirectoryGuard {
  const std::filesystem::path saved = std::filesystem::current_path();
  ~CurrentDirectoryGuard() { std::filesystem::current_path(saved); }
};

} // namespace kv::test
