#include <gtest/gtest.h>

#include "core/safe_name.h"

namespace kv {
namespace {

TEST(SafeNameTest, PlainNamesPass) {
  for (const char* name : {"KICK.SFX", "kick.WAV", "README", ".hidden", "A.B.SFX", "CONSOLE.TXT", "CON_1",
                           "COM10", "LPT0.BIN", "NULL", "COM", " lead.txt", "x..y", "\xC4RGER.TXT"}) {
    EXPECT_EQ(UnsafeFileNameReason(name), "") << name;
  }
}

TEST(SafeNameTest, NamesThatLeaveTheFolderOrReachADeviceAreRefused) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "empty"},
      {"..\\WIN.INI", "another folder"},
      {"../etc", "another folder"},
      {"C:BOOT.INI", "another folder"},
      {"name:stream", "another folder"},
      {".", "folder"},
      {"..", "folder"},
      {"...", "drops"},
      {"KICK.", "drops"},
      {"KICK ", "drops"},
      {"CON .", "drops"},
      {"A\x01.TXT", "control"},
      {"LF\n", "control"},
      {"X\x1F", "control"},
      {"CON", "device"},
      {"Nul.txt", "device"},
      {"AUX.SFX", "device"},
      {"prn", "device"},
      {"CON .TXT", "device"},
      {"COM1", "device"},
      {"com9.sfx", "device"},
      {"LPT1", "device"},
      {"COM\xB9", "device"},
      {"LPT\xB2.TXT", "device"},
      {"CONIN$", "device"},
      {"conout$.x", "device"},
  };
  for (const auto& [name, reason_part] : cases) {
    const std::string reason = UnsafeFileNameReason(name);
    EXPECT_NE(reason.find(reason_part), std::string::npos) << "\"" << name << "\" gave \"" << reason << "\"";
  }
  EXPECT_EQ(UnsafeFileNameMessage("CON"), "Refused: " + UnsafeFileNameReason("CON"));
}

} // namespace
} // namespace kv
