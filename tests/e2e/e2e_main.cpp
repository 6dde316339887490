// e2e_tests PROGRAM ARTIFACTS [gtest flags]: drives PROGRAM (KrollVorevuvo.exe)
// and saves screenshots and working files under ARTIFACTS. Unix paths are
// taken as paths of Wine's drive Z:.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "e2e/harness.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) return std::fputs("usage: e2e_tests PROGRAM ARTIFACTS [gtest flags]\n", stderr), 2;
  // Full paths without "..": the captions the program shows hold them.
  const auto windows_path = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::filesystem::absolute(path.front() == '\\' ? "Z:" + path : path).lexically_normal().string();
  };
  e2e::CurrentSettings() = {windows_path(argv[1]), windows_path(argv[2])};
  // Only this run's screenshots: those of an earlier run could mislead.
  std::filesystem::create_directories(e2e::CurrentSettings().artifacts);
  for (const auto& entry : std::filesystem::directory_iterator(e2e::CurrentSettings().artifacts))
    if (entry.path().extension() == ".bmp" || entry.path().extension() == ".png")
      std::filesystem::remove(entry);
  return RUN_ALL_TESTS();
}
