// The command line over the commentary core: `names`, `commentary list` and
// `commentary export` on built game folders; texts of game files printed as
// UTF-8; messages that name the file they are about.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/text_encoding.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

using namespace cli;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Cli(const Strings& args) {
  std::istringstream in;
  std::ostringstream out, err;
  const int status = RunCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

TEST(TextEncodingTest, EveryHighByteBecomesItsWindows1252Character) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte)
    high += static_cast<char>(byte);
  EXPECT_EQ(Cp1252ToUtf8("A\x01~" + high),
            "A\x01~€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"
            "\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß"
            "àáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ");
}

TEST(ConsoleMessagesTest, MessagesNameTheFileOrFolderTheyAreAbout) {
  TempDir dir;
  const std::string missing = dir.File("missing");
  const std::string folder = dir.path().string();
  for (const auto& [args, err] : std::vector<std::pair<Strings, std::string>>{
           {{"decompress", missing}, missing + ": cannot read: The system cannot find the file specified."},
           {{"wad", "list", folder}, folder + ": is a folder, not a file"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vorevuvo: " + err + "\n");
  }
}

} // namespace
} // namespace kv::test
