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
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"empty", {""}},
      {"another folder", {"..\\WIN.INI", "../etc", "C:BOOT.INI", "name:stream"}},
      {"folder", {".", ".."}},
      {"drops", {"...", "KICK.", "KICK ", "CON ."}},
      {"control", {"A\x01.TXT", "LF\n", "X\x1F"}},
      {"device",
       {"CON", "Nul.txt", "AUX.SFX", "prn", "CON .TXT", "COM1", "com9.sfx", "LPT1", "COM\xB9", "LPT\xB2.TXT",
        "CONIN$", "conout$.x"}},
  };
  for (const auto& [reason_part, names] : cases) {
    for (const std::string& name : names) {
      const std::string reason = UnsafeFileNameReason(name);
      EXPECT_NE(reason.find(reason_part), std::string::npos)
          << "\"" << name << "\" gave \"" << reason << "\"";
    }
  }
  EXPECT_EQ(UnsafeFileNameMessage("CON"), "Refused: " + UnsafeFileNameReason("CON"));
}

} // namespace
} // namespace kv
