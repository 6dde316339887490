// e2e_tests PROGRAM ARTIFACTS [gtest flags]: drives PROGRAM (KrollVorevuvo.exe)
// and saves screenshots and working files under ARTIFACTS. Unix paths are
// taken as paths of Wine's drive Z:.
#include <cstdio>
#include <filesystem>

#include "e2e/harness.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e_tests PROGRAM ARTIFACTS [gtest flags]\n");
    return 2;
  }
  auto& settings = e2e::CurrentSettings();
  settings.program = e2e::WindowsPath(argv[1]);
  // The captions the program shows hold full paths without "..".
  char full[MAX_PATH] = {};
  GetFullPathNameA(e2e::WindowsPath(argv[2]).c_str(), MAX_PATH, full, nullptr);
  settings.artifacts = full;
  // Only this run's screenshots: those of an earlier run could mislead.
  std::filesystem::create_directories(settings.artifacts);
  for (const auto& entry : std::filesystem::directory_iterator(settings.artifacts))
    if (entry.path().extension() == ".bmp") std::filesystem::remove(entry.path());
  return RUN_ALL_TESTS();
}
