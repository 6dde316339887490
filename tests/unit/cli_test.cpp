// The command-line tool: what it adds to the commands (arguments, exit codes,
// default names, folders, counts, output formats, questions at the terminal).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <cstdlib>
#include <functional>
#include <map>

#include <nlohmann/json.hpp>

#include "cli/help_pages.h"
#include "core/implode.h"
#include "core/name_pattern.h"
#include "support/cel_builder.h"
#include "support/cli_runner.h"
#include "support/commentary_builder.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

using namespace cli;
using Args = std::vector<std::string>;

// The literal mode and dictionary bits of the block at `at` in a file.
Bytes StreamHeader(const std::string& path, std::size_t at) {
  const Bytes bytes = ReadBytes(path);
  return {bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4,
          bytes.begin() + static_cast<std::ptrdiff_t>(at) + 6};
}

using CliTest = InFreshFolder;

TEST_F(CliTest, HelpSucceedsEveryMalformedCommandLineIsAUsageErrorAndDashDashEndsTheOptions) {
  for (const char* command : {"decompress", "compress", "wad", "cel2bmp", "make-sample"}) {
    EXPECT_TRUE(Has(Cli({command, "--help"}).out, std::string("usage: vorevuvo ") + command));
    EXPECT_TRUE(Has(Cli({"--help"}).out, std::string("  ") + command + " ")) << "the overview names it";
  }
  // Command lines separated by ';' ("-o" is required by wad extract and cel2bmp).
  std::istringstream lines(
      ";frobnicate;decompress;decompress a b;decompress a --bogus;decompress a -o;decompress "
      "-x.cmp;decompress -- a -o out;compress a --dict 512;compress a --literals ascii;compress a "
      "--overwrite maybe;wad;wad show a.wad;wad list a.wad b.wad;wad list a.wad --literals text;"
      "wad extract a.wad;wad extract a.wad -o x --json;wad create a.wad;wad create a.wad f -o x;"
      "cel2bmp c.cel p.pal;cel2bmp c.cel -o f;make-sample;make-sample a b");
  for (std::string line; std::getline(lines, line, ';');) {
    std::istringstream words(line);
    EXPECT_EQ(Cli(Args(std::istream_iterator<std::string>(words), {})).status, kExitUsage) << line;
  }
  WriteBytes("-x.cmp", kAbabBlock);
  EXPECT_EQ(Cli({"decompress", "--", "-x.cmp"}).out, "wrote -x.cmp.unpacked (4 bytes)\n");
  EXPECT_EQ(ReadBytes("-x.cmp.unpacked"), Text("ABAB"));
}

// Without a terminal an existing file is kept; at one the user is asked
// until a reply it knows, and the end of the input means No.
TEST_F(CliTest, AnExistingOutputIsReplacedOnlyWhenTheUserOrAnOptionSaysSo) {
  WriteBytes("abab.cmp", kAbabBlock);
  const std::string question =
      "vorevuvo: out: File Already Exist! Do you wish to overwrite it? [y]es, [n]o, [A]ll, [N]one ";
  const std::string kept = "vorevuvo: out exists and was left as it is (as answered)\n";
  const std::tuple<Args, bool, std::string, bool, std::string> cases[] = {
      {{},
       false,
       "",
       false,
       "vorevuvo: out exists and was left as it is (--overwrite overwrite replaces it)\n"},
      {{}, true, "n\n", false, question + kept},
      {{}, true, "maybe\nYES\n\ny\n", true, question + question + question + question},
      {{}, true, "", false, question + kept},
      {{"--overwrite", "overwrite"}, false, "", true, ""}};
  for (const auto& [extra, terminal, input, replaced, err] : cases) {
    WriteBytes("out", Text("keep"));
    Args args = {"decompress", "abab.cmp", "-o", "out"};
    args.insert(args.end(), extra.begin(), extra.end());
    const CliRun run = Cli(args, input, terminal);
    EXPECT_EQ(run.status, kExitSuccess) << "a file kept on purpose is no failure";
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(ReadBytes("out"), Text(replaced ? "ABAB" : "keep"));
  }
  // Every header `compress` writes is taken; other bytes need --force.
  const std::tuple<LiteralMode, int, int, bool> headers[] = {
      {LiteralMode::Binary, 4, 0, true}, {LiteralMode::Text, 5, 0, true}, {LiteralMode::Binary, 6, 4, false}};
  for (const auto& [literals, bits, damage, taken] : headers) {
    Bytes block = ImplodeBlock(Text("ABAB"), {literals, bits});
    block[4] += static_cast<std::uint8_t>(damage);
    WriteBytes("h.cmp", block);
    EXPECT_EQ(Cli({"decompress", "h.cmp", "-o", "h" + std::to_string(bits)}).err.empty(), taken) << bits;
  }
  EXPECT_EQ(Cli({"decompress", "h.cmp"}).err,
            "vorevuvo: h.cmp: Data doesn't appear to be compressed (--force decodes it anyway)\n");
  EXPECT_EQ(Cli({"compress", "out", "--literals", "text", "--dict", "2048"}).status, kExitSuccess);
  EXPECT_EQ(StreamHeader("out.packed", 0), (Bytes{1, 5}));
  WriteBytes("big", Bytes(65536, 'x'));
  EXPECT_EQ(Cli({"compress", "big"}).err,
            "vorevuvo: big: 65536 bytes is too large for a compressed block (at most 65535)\n");
}

TEST_F(CliTest, WadListShowsTheViewersColumnsOrJsonWithFaults) {
  WriteBytes("abab.wad", AbabArchive());
  EXPECT_EQ(Cli({"wad", "list", "abab.wad"}).out,
            "Name           Type  Compressed Size        Size Data Offset\n"
            "ABAB.TXT       TXT                12           4          24\n");
  auto odd = BuildWad({Member("BIG", Text("abcd"))});
  odd[2 + 14 + 3] = 0x80; // a compressed size of 2^31 and more: shown negative, data outside
  WriteBytes("odd.wad", odd);
  CliRun run = Cli({"wad", "list", "odd.wad"});
  EXPECT_TRUE(Has(run.out, " -2147483")) << run.out;
  EXPECT_TRUE(Has(run.err, "entry 1 (BIG): the entry's")) << run.err;
  run = Cli({"wad", "list", "odd.wad", "--json"});
  EXPECT_TRUE(Has(run.out, "{\"name\":\"BIG\",\"type\":\"\",\"compressed_size\":2147483")) << run.out;
  EXPECT_TRUE(Has(run.out, "\"problem\":\"the entry's")) << run.out;
  WriteBytes("cut.wad", {0x05, 0x00, 'A', 0});
  EXPECT_EQ(Cli({"wad", "list", "cut.wad"}).err,
            "vorevuvo: cut.wad: Refused: not a readable WAD archive: its directory of 5 entries needs 112 "
            "bytes, but the file holds 4\n");
}

TEST_F(CliTest, WadExtractAndCreateCountTheFilesAndReportFailuresButWriteTheRest) {
  std::vector<WadMember> many = {Member("ABAB.TXT", Text("ABAB")), Member("KICK.SFX", Bytes(300, 0x80)),
                                 Member("abab.txt", Text("abab")), Member("CON", Text("dev!"))};
  for (int i = 0; i < 196; ++i)
    many.push_back(Member("E" + std::to_string(i), Text("data")));
  WriteBytes("game.wad", BuildWad(many));
  CliRun run = Cli({"wad", "extract", "game.wad", "-o", "out"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "198 files written to out\n");
  EXPECT_EQ(run.err,
            "vorevuvo: ABAB.TXT: abab.txt: Not written: it would replace ABAB.TXT written by ABAB.TXT\n"
            "vorevuvo: CON: Refused: the name is reserved for a device (CON, PRN, AUX, NUL, COM1-COM9, "
            "LPT1-LPT9); nothing was written\nvorevuvo: 1 file not written: its "
            "name was taken by files written earlier in this run (told above)\n");
  EXPECT_EQ(ReadBytes("out/ABAB.TXT"), Text("ABAB")) << "a later record never replaces an earlier one";
  EXPECT_EQ(ReadBytes("out/KICK.WAV").size(), 346u);
  run = Cli({"wad", "extract", "game.wad", "kick.sfx", "MISSING", "-o", "out", "--no-wav"});
  EXPECT_EQ(run.out, "1 file written to out\n");
  EXPECT_EQ(run.err, "vorevuvo: game.wad: no entry named MISSING\n");
  EXPECT_EQ(ReadBytes("out/KICK.SFX"), Bytes(300, 0x80)) << "named after the entry, not as typed";
  // A name typed in UTF-8 finds its Windows-1252 entry, whose file gets the UTF-8 name.
  WriteBytes("caf.wad", BuildWad({Member("caf\xE9.txt", Text("cr\xE8me"))}));
  EXPECT_EQ(Cli({"wad", "extract", "caf.wad", "CAFé.TXT", "-o", "utf8"}).out, "1 file written to utf8\n");
  EXPECT_EQ(FilesIn("utf8"), Strings{"café.txt"});
  WriteBytes("file", Text("not a folder"));
  EXPECT_EQ(Cli({"wad", "extract", "game.wad", "-o", "file/sub"}).err,
            "vorevuvo: file is a file, not a folder (-o names the folder to write into)\n");
  EXPECT_EQ(std::filesystem::current_path(), dir.path());

  std::filesystem::create_directories("in/sub");
  WriteBytes("in/sub/kick.sfx", Pattern(3000));
  WriteBytes("in/Notes.txt", Text("notes"));
  EXPECT_TRUE(Cli({"wad", "create", "new.wad", "in/sub/kick.sfx", "in/Notes.txt", "--literals", "text",
                   "--dict=1024"})
                  .out.starts_with("wrote new.wad (2 entries, "));
  EXPECT_EQ(StreamHeader("new.wad", 46), (Bytes{1, 4})) << "first block";
  EXPECT_EQ(Cli({"wad", "extract", "new.wad", "-o", "x", "--no-wav"}).out, "2 files written to x\n");
  EXPECT_EQ(FilesIn("x"), (Strings{"KICK.SFX", "NOTES.TXT"})) << "upper-case base names";
  run = Cli({"wad", "create", "other.wad", "in/Notes.txt", "missing.txt"});
  EXPECT_TRUE(Has(run.err, "missing.txt was not read") && !std::filesystem::exists("other.wad")) << run.err;

  // Ten records share one block of 65535 bytes: a warning, and --max-output
  // refuses before anything is written.
  std::vector<WadMember> shared = {Member("E0", Bytes(65535, 0))};
  for (int i = 1; i < 10; ++i)
    shared.push_back(StoredMember("E" + std::to_string(i), kAbabBlock));
  Bytes wad = BuildWad(shared);
  for (int i = 1; i < 10; ++i)
    std::copy_n(wad.begin() + 2 + 14, 8, wad.begin() + 2 + 22 * i + 14);
  WriteBytes("shared.wad", wad);
  const std::string warning = "vorevuvo: warning: shared.wad: the entries share their data and would write "
                              "655350 bytes from an archive of " +
                              std::to_string(wad.size()) + " bytes (--max-output sets a limit)\n";
  run = Cli({"wad", "extract", "shared.wad", "-o", "shared", "--max-output", "100k"});
  EXPECT_EQ(run.err, warning + "vorevuvo: shared.wad: the entries would write 655350 bytes, more than "
                               "--max-output 102400; nothing was written\n");
  EXPECT_FALSE(std::filesystem::exists("shared"));
  run = Cli({"wad", "extract", "shared.wad", "-o", "shared"});
  EXPECT_EQ(std::tuple(run.status, run.err, FilesIn("shared").size()),
            std::tuple(kExitSuccess, warning, 10u));
}

TEST_F(CliTest, Cel2BmpWritesEveryImageOnceIntoANewFolderAndNoneForARefusedFile) {
  WriteBytes("game.pal", TestPalette());
  // AB and ab share a file on Windows; A/B and A:B both become A_B.
  const auto cel = BuildCel({AsymmetricPicture("AB", 3, 2), AsymmetricPicture("ab", 2, 1),
                             AsymmetricPicture("A/B", 1, 2), AsymmetricPicture("A:B", 2, 2)});
  WriteBytes("art.v1.cel", cel);
  CliRun run = Cli({"cel2bmp", "art.v1.cel", "game.pal", "-o", "out/bmp"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "2 files written to out/bmp\n");
  EXPECT_EQ(FilesIn("out/bmp"), (Strings{"art.v1_AB.BMP", "art.v1_A_B.BMP"}));
  WriteBytes("short.pal", Bytes(767));
  EXPECT_TRUE(Has(Cli({"cel2bmp", "art.v1.cel", "short.pal", "-o", "none"}).err,
                  "Failed: *.PAL file size must be 768 bytes"));
  EXPECT_FALSE(std::filesystem::exists("none")) << "no folder is made for a refused file";
  EXPECT_TRUE(Has(Cli({"cel2bmp", "art.v1.cel", "game.pal", "-o", "game.pal"}).err,
                  "game.pal is a file, not a folder"));
}

// A name with a letter, a control byte, DEL and a byte that is no character
// in every file (Windows-1252): each command that prints it shows escapes, in listings, messages and
// JSON alike (every --json output is written by one function), and nothing
// raw reaches the terminal.
TEST_F(CliTest, EveryCommandShowsTheControlsOfNamesFromFilesAsEscapes) {
  const std::string hostile = "\xE9\x01\x7F\x9D", shown = "é\\x01\\x7F\\x9D", json = "é\\u0001\\u007f\\u009d";
  WriteGameFolder(".", {"<035> r%J<\xE9\x01\x9D> r%J",
                        {Member("J035A.SFX", Pattern(60)), Member(hostile + ".TXT", Text("abcd"))}});
  WriteBytes("VORTAN.ROP", ImplodeBlock(WriteTeamFile({hostile, "Club0", "BVK", TestTeam(0).players})));
  WriteBytes("REMIX.TXT", Text("<" + hostile + ">\n@J035A,0,10"));
  WriteBytes("art.cel", BuildCel({AsymmetricPicture(hostile, 2, 2)}));
  WriteBytes("game.pal", TestPalette());
  const std::pair<Args, std::string> cases[] = {
      {{"wad", "list", "VOICE/VOICE.WAD"}, "\n" + shown + ".TXT TXT "},
      {{"wad", "list", "VOICE/VOICE.WAD", "--json"}, "\"name\":\"" + json + ".TXT\""},
      {{"wad", "extract", "VOICE/VOICE.WAD", "-o", "out"}, "vorevuvo: " + shown + ".TXT: Refused: "},
      {{"cel2bmp", "art.cel", "game.pal", "-o", "out", "-v"}, "wrote out/art_é__\\xC2\\x9D.BMP ("},
      {{"names", "."}, shown + " Club0 "},
      {{"commentary", "list", "COMMENT.TOK"}, "\nReplay_é\\x01\\x9D.wav "},
      {{"commentary", "export", "COMMENT.TOK", "-o", "out"}, "vorevuvo: Replay_é\\x01\\x9D.wav: Refused: "},
      {{"remix", "list", "REMIX.TXT"}, shown + "  10  J035A.SFX@0+10\n"},
      {{"remix", "export", "REMIX.TXT", "-o", "out"}, "vorevuvo: " + shown + ".wav: Refused: "}};
  for (const auto& [args, expected] : cases) {
    const CliRun run = Cli(args);
    const std::string printed = run.out + run.err;
    EXPECT_TRUE(Has(printed, expected)) << printed;
    EXPECT_FALSE(
        Has(printed, "\xC2\x9D") ||
        std::ranges::any_of(printed, [](char c) { return (c >= 0 && c < 0x20 && c != '\n') || c == 0x7F; }))
        << printed;
  }
}

// The habits of the tools its users know: patterns that must match, names in
// the one text model, "-o -", -q and -v, help of one action, and what cannot
// be printed or stored said as such.
TEST_F(CliTest, PatternsStandardOutputQuietVerboseAndHelpBehaveAsInOtherTools) {
  WriteGameFolder(".", {"<035> tg%J<\xE9\xE9\xE9> r%J",
                        {Member("J035A.SFX", Pattern(60)),
                         Member("J\xE9\xE9\xE9"
                                "A.SFX",
                                Pattern(70)),
                         Member("NOTE.TXT", Text("note"))}});
  EXPECT_EQ(Cli({"wad", "extract", "VOICE/VOICE.WAD", "J*", "*.txt", "-o", "some", "-v"}).out,
            "wrote some/J035A.WAV\nwrote some/J\xC3\xA9\xC3\xA9\xC3\xA9"
            "A.WAV\nwrote some/NOTE.TXT\n3 files written to some\n");
  const std::tuple<Args, int, std::string, std::string> cases[] = {
      {{"wad", "extract", "VOICE/VOICE.WAD", "note.txt", "-o", "-"}, kExitSuccess, "note", ""},
      {{"wad", "extract", "VOICE/VOICE.WAD", "note.txt", "-o", "some"},
       kExitSuccess,
       "0 files written to some\n",
       "vorevuvo: 1 file existed and was kept (--overwrite overwrite replaces them)\n"},
      {{"wad", "extract", "VOICE/VOICE.WAD", "*.BMP", "-q", "--output", "none"},
       kExitFailure,
       "",
       "vorevuvo: VOICE.WAD: no entry matches *.BMP\n"},
      {{"wad", "extract", "VOICE/VOICE.WAD", "-o", "-"},
       kExitUsage,
       "",
       "vorevuvo wad: -o - writes one entry to standard output: name exactly one (see 'vorevuvo wad "
       "--help')\n"},
      {{"commentary", "export", "COMMENT.TOK", "Replay_\xC3\xA9\xC3\xA9\xC3\xA9", "pass_*", "-o", "lines",
        "-q"},
       kExitSuccess,
       "",
       ""},
      {{"commentary", "list", "VOICE/VOICE.WAD"},
       kExitFailure,
       "",
       "vorevuvo: VOICE/VOICE.WAD: not a compressed COMMENT.TOK (its data do not look compressed)\n"},
      {{"names", "COMMENT.TOK"},
       kExitFailure,
       "",
       "vorevuvo: COMMENT.TOK: is a file; the game folder is expected (did you mean .?)\n"},
      {{"remix", "list", "NOTE"}, kExitFailure, "", ""}};
  WriteBytes("NOTE", Text("no entry here"));
  WriteBytes("VOICE/REMIX.TXT", Text("x"));
  for (const auto& [args, status, out, err] : cases) {
    const CliRun run = Cli(args);
    EXPECT_EQ(std::tie(run.status, run.out), std::tie(status, out)) << args[0] << " " << args[2];
    if (!err.empty()) EXPECT_EQ(run.err, err);
  }
  EXPECT_EQ(FilesIn("lines"), (Strings{"Pass_035.wav", "Replay_\xC3\xA9\xC3\xA9\xC3\xA9.wav"}));
  EXPECT_FALSE(std::filesystem::exists("none"));

  // Names are stored in Windows-1252, or refused before anything is written.
  WriteBytes("caf\xC3\xA9.txt", Text("cr\xC3\xA8me"));
  WriteBytes("\xE3\x83\x8A.txt", Text("kana"));
  EXPECT_EQ(Cli({"wad", "create", "c.wad", "caf\xC3\xA9.txt"}).status, kExitSuccess);
  EXPECT_EQ(ReadBytes("c.wad")[2 + 3], 0xE9);
  EXPECT_EQ(Cli({"wad", "extract", "c.wad", "CAF\xC3\xA9.TXT", "-o", "-"}).out, "cr\xC3\xA8me");
  EXPECT_TRUE(
      Has(Cli({"wad", "create", "k.wad", "caf\xC3\xA9.txt", "\xE3\x83\x8A.txt"}).err, "Windows-1252"));
  EXPECT_FALSE(std::filesystem::exists("k.wad"));

  const std::string version = Cli({"-V"}).out;
  EXPECT_TRUE(version.starts_with(std::string("vorevuvo ") + kVersion + " (")) << version;
  const std::string list_help = Cli({"help", "wad", "list"}).out;
  EXPECT_EQ(list_help, Cli({"wad", "list", "--help"}).out);
  EXPECT_TRUE(list_help.starts_with("usage: vorevuvo wad list ARCHIVE") && !Has(list_help, "wad extract"));
  std::istringstream in;
  std::ostream unwritable(nullptr);
  std::ostringstream err;
  EXPECT_EQ(RunCli({"wad", "list", "c.wad"}, {in, unwritable, err, false}), kExitFailure);
  EXPECT_EQ(err.str(),
            "vorevuvo wad: the output could not be written (is the disk full, or the reader gone?)\n");
}

// Shell-style patterns, ASCII case ignored, a '?' for one UTF-8 character.
TEST(NamePattern, MatchesAsTheShellDoesWithoutRegardToCase) {
  const std::pair<const char*, const char*> matching[] = {{"*.TXT", "notes.txt"},
                                                          {"J0??A.SFX", "j035a.sfx"},
                                                          {"Pass_*", "Pass_035.wav"},
                                                          {"*a*b*c", "xaxbxc"},
                                                          {"[AB]*", "bat"},
                                                          {"[0-3]x", "2x"},
                                                          {"?.txt", "\xC3\xA9.txt"},
                                                          {"[x", "[x"},
                                                          {"*", ""}};
  const std::pair<const char*, const char*> not_matching[] = {{"*.TXT", "notes.txt.bak"},
                                                              {"J0??A.SFX", "J0355A.SFX"},
                                                              {"*a*b*c", "xaxcxb"},
                                                              {"[!AB]*", "bat"},
                                                              {"?", ""}};
  for (const auto& [pattern, name] : matching)
    EXPECT_TRUE(MatchesNamePattern(pattern, name)) << pattern << " " << name;
  for (const auto& [pattern, name] : not_matching)
    EXPECT_FALSE(MatchesNamePattern(pattern, name)) << pattern << " " << name;
}

// The man page, the completion and every --json output follow one table:
// each command is in both pages and each option in the completion (the man
// page holds each command's help whole), the build's files are these
// pages, bash reads the completion, and a key means one thing everywhere.
TEST_F(CliTest, TheManPageTheCompletionAndTheJsonFollowOneTable) {
  const std::string man = ManPage(), completion = BashCompletion();
  for (const CommandInfo& command : Commands()) {
    EXPECT_TRUE(Has(man, std::string(".SS ") + command.name) &&
                Has(completion, command.name + std::string(") ")));
    for (const std::string& option : command.syntax->value_options)
      EXPECT_TRUE(Has(completion, " " + option)) << option;
  }
  const std::string built = std::filesystem::path(KV_VOREVUVO).parent_path().string();
  EXPECT_EQ(ReadBytes(built + "/vorevuvo.1"), Text(man));
  EXPECT_EQ(ReadBytes(built + "/vorevuvo.bash"), Text(completion));
  EXPECT_EQ(std::system(("bash -n " + built + "/vorevuvo.bash").c_str()), 0);

  WriteGameFolder(".", {"<035> tg%J", {Member("J035A.SFX", Pattern(60)), StoredMember("BAD", kAbabBlock)}});
  WriteBytes("REMIX.TXT", Text("<Goal>\n@J035A,0,10"));
  const std::map<std::string, std::string> schema = {
      {"name", "string"},        {"type", "string"},    {"compressed_size", "number"}, {"size", "number"},
      {"data_offset", "number"}, {"problem", "string"}, {"group", "boolean"},          {"key", "string"},
      {"team", "boolean"},       {"star", "boolean"},   {"thrower", "boolean"},        {"pieces", "array"},
      {"start", "number"},       {"length", "number"}};
  std::function<void(const nlohmann::json&)> check = [&](const nlohmann::json& item) {
    for (const auto& [key, value] : item.items()) {
      EXPECT_TRUE(schema.count(key) && (value.is_null() || value.type_name() == schema.at(key))) << key;
      for (const auto& inner : value.is_array() ? value : nlohmann::json::array())
        if (inner.is_object()) check(inner);
    }
  };
  for (const Args& args : {Args{"wad", "list", "VOICE/VOICE.WAD"}, Args{"names", "."},
                           Args{"commentary", "list", "COMMENT.TOK"}, Args{"remix", "list", "REMIX.TXT"}}) {
    Args with_json = args;
    with_json.push_back("--json");
    const nlohmann::json items = nlohmann::json::parse(Cli(with_json).out);
    EXPECT_FALSE(items.empty()) << args[0];
    for (const auto& item : items)
      check(item);
  }
}

} // namespace
} // namespace kv::test
