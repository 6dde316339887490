// The command line over the commentary core: `names`, `commentary list` and
// `commentary export` on built game folders; texts of game files printed as
// UTF-8; messages that name the file they are about.
#include <gtest/gtest.h>

#include "core/text_encoding.h"

namespace kv::cli {
namespace {

TEST(TextEncodingTest, EveryHighByteBecomesItsWindows1252Character) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte)
    high += static_cast<char>(byte);
  EXPECT_EQ(Cp1252ToUtf8("A\x01~" + high),
            "A\x01~€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"
            "\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß"
            "àáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ");
}

} // namespace
} // namespace kv::cli
